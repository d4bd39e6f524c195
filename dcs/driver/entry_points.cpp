// The nine exports. Each hands its work to the subsystem that owns it; the
// plant report looks on (diagnostics/plant_report.h).
#include "driver/entry_points.h"

#include "catalogue/tag_catalogue.h"
#include "diagnostics/plant_report.h"
#include "driver/link_steps.h"
#include "emulator/exchange.h"
#include "host/user_messages.h"
#include "record/dcs_data.h"
#include "record/fields.h"

std::int32_t DCSConfigure(DCSData* data) {
  ConfigureResult result = configure_checked(data, tag_catalogue);
  report_configure(data, tag_catalogue, result);
  return result == CONFIGURE_BOUND ? 1 : 0;
}

void DCSDestroy(DCSData* data) {
  free_dcs_data(data);
  release_catalogue(tag_catalogue);
  release_report();
}

void DCSInitialize(void) {}

// When memory runs out in both halves, the user still sees one box.
void DCSLoad(DCSData* data) {
  begin_load_messages();
  declare_fields(data);
  LoadOutcome outcome = load_catalogue(tag_catalogue, report_load_observer());
  end_load_messages();
  report_load(tag_catalogue, outcome);
}

std::int32_t DCSReset(void) {
  reset_link(tag_catalogue);
  report_failed_reads("DCSReset");
  return 0;
}

std::int32_t DCSSimulate(DCSData* data) {
  exchange_step(data, tag_catalogue, report_read_failures());
  return 1;
}

void DCSStart(void) {}

void DCSStop(void) { report_failed_reads("DCSStop"); }

void DCSTimeZero(void) {}
