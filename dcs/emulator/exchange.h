// The per-step exchange with the emulator, and the reset of the link.
#pragma once

#include "catalogue/tag_catalogue.h"
#include "record/dcs_data.h"

// Failed reads of one controller: calls that gave a nonzero status.
struct FailedReads {
  std::int32_t Count;
  std::int32_t LastStatus;
};

// One step: controllers read from the emulator, then process variables
// written to it. Each failed read of controller i below `counted` is counted
// in failures[i]; without counts, `counted` is 0.
void exchange_step(DCSData* data, TagCatalogue& catalogue, FailedReads* failures = nullptr,
                   std::int32_t counted = 0);

// Resets the emulator link and clears every catalogue handle.
void reset_link(TagCatalogue& catalogue);
