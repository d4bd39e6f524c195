// Everything the driver module keeps between calls: the tag catalogue, the
// plant report's file state and its failed-read counts. One catalogue serves
// the module whatever record the host passes.
#pragma once

#include "catalogue/tag_catalogue.h"
#include "driver/plant_report.h"
#include "host/report_file.h"

struct DriverState {
  TagCatalogue Catalogue;
  ReportFile Report;  // open only within an entry point
  ReadFailures Failures;
};

extern DriverState driver_state;
