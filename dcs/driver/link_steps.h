// The steps of DCSLoad and DCSConfigure that talk to the emulator and the
// user: they ask the emulator for its string, show the driver's messages,
// and hand the work itself to the catalogue and the binding.
#pragma once

#include <cstdint>

#include "catalogue/tag_catalogue.h"
#include "host/report_file.h"
#include "record/dcs_data.h"

// How a load ended, and the length the emulator reported.
enum LoadResult : std::uint8_t { LOAD_READ, LOAD_TOO_SHORT, LOAD_OUT_OF_MEMORY };
struct LoadOutcome {
  std::int32_t Length;
  std::uint8_t Result;
};

// The second half of DCSLoad: asks the emulator for its initialization
// string and appends its tags, or shows the load warning when it holds none.
// `box_shown` is the load's flag for its out-of-memory box. With the report
// on, the length and every byte received are written to it before the load.
LoadOutcome load_catalogue(TagCatalogue& catalogue, bool& box_shown, ReportFile* report = nullptr);

// Which of DCSConfigure's checks refused the link, in the order they run.
enum ConfigureResult : std::uint8_t {
  CONFIGURE_BOUND,
  CONFIGURE_CTRL_TEXT_EMPTY,
  CONFIGURE_PV_TEXT_EMPTY,
  CONFIGURE_NO_TAGS,
  CONFIGURE_NO_CATALOGUE
};

// DCSConfigure's checks, in order, each with its message; then the binding.
// Says which check refused the link, or CONFIGURE_BOUND.
ConfigureResult configure_checked(DCSData* data, const TagCatalogue& catalogue);
