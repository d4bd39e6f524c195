// The per-step exchange with the emulator, and the reset of the link.
#pragma once

#include "catalogue/tag_catalogue.h"
#include "record/dcs_data.h"

// Failed controller reads (a call that gave a nonzero status), counted per
// controller by index while the plant report asks for them.
struct FailedReads {
  std::int32_t Count;
  std::int32_t LastStatus;
};
struct ReadFailures {
  FailedReads* Controllers;
  std::int32_t Size;  // controllers beyond it are not counted
};

// One step: controllers read from the emulator, then process variables
// written to it. With `failures`, each failed read is counted.
void exchange_step(DCSData* data, TagCatalogue& catalogue, ReadFailures* failures = nullptr);

// Resets the emulator link and clears every catalogue handle.
void reset_link(TagCatalogue& catalogue);
