// The nine exports. Each hands its work to the subsystem that owns it; the
// plant report records the facts (driver/plant_report.h).
#include "driver/entry_points.h"

#include "driver/driver_state.h"
#include "driver/link_steps.h"
#include "driver/plant_report.h"
#include "emulator/exchange.h"
#include "host/user_messages.h"
#include "record/dcs_data.h"
#include "record/fields.h"

DriverState driver_state = {};

std::int32_t DCSConfigure(DCSData* data) {
  DriverState& state = driver_state;
  ConfigureResult result = configure_checked(data, state.Catalogue);
  report_configure(state.Report, state.Failures, data, result);
  return result == CONFIGURE_BOUND ? 1 : 0;
}

void DCSDestroy(DCSData* data) {
  DriverState& state = driver_state;
  free_dcs_data(data);
  release_catalogue(state.Catalogue);
  report_destroy(state.Report, state.Failures);
}

void DCSInitialize(void) {}

// When memory runs out in both halves, the user still sees one box.
void DCSLoad(DCSData* data) {
  DriverState& state = driver_state;
  bool box_shown = false;
  if (!declare_fields(data)) show_load_out_of_memory(box_shown);
  ReportFile* report = begin_report(state.Report, "DCSLoad") ? &state.Report : nullptr;
  LoadOutcome outcome = load_catalogue(state.Catalogue, box_shown, report);
  if (report != nullptr) report_load_end(*report, state.Catalogue, outcome);
}

std::int32_t DCSReset(void) {
  DriverState& state = driver_state;
  reset_link(state.Catalogue);
  begin_report(state.Report, "DCSReset");
  report_failed_reads(state.Report, state.Failures);
  return 0;
}

std::int32_t DCSSimulate(DCSData* data) {
  DriverState& state = driver_state;
  exchange_step(data, state.Catalogue, state.Failures.Controllers, state.Failures.Size);
  return 1;
}

void DCSStart(void) {}

void DCSStop(void) {
  DriverState& state = driver_state;
  begin_report(state.Report, "DCSStop");
  report_failed_reads(state.Report, state.Failures);
}

void DCSTimeZero(void) {}
