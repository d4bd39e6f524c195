// The nine exports. Each hands its work to the subsystem that owns it.
#include "driver/entry_points.h"

#include "catalogue/binding.h"
#include "catalogue/tag_catalogue.h"
#include "emulator/exchange.h"
#include "host/user_messages.h"
#include "record/dcs_data.h"
#include "record/fields.h"

std::int32_t DCSConfigure(DCSData* data) { return configure_bindings(data, tag_catalogue); }

void DCSDestroy(DCSData* data) {
  free_dcs_data(data);
  release_catalogue(tag_catalogue);
}

void DCSInitialize(void) {}

// When memory runs out in both halves, the user still sees one box.
void DCSLoad(DCSData* data) {
  begin_load_messages();
  declare_fields(data);
  load_catalogue(tag_catalogue);
  end_load_messages();
}

std::int32_t DCSReset(void) {
  reset_link(tag_catalogue);
  return 0;
}

std::int32_t DCSSimulate(DCSData* data) {
  exchange_step(data, tag_catalogue);
  return 1;
}

void DCSStart(void) {}

void DCSStop(void) {}

void DCSTimeZero(void) {}
