// The per-step exchange with the emulator, and the reset of the link.
#pragma once

#include "catalogue/tag_catalogue.h"
#include "record/dcs_data.h"

// One step: controllers read from the emulator, then process variables
// written to it.
void exchange_step(DCSData* data, TagCatalogue& catalogue);

// Resets the emulator link and clears every catalogue handle.
void reset_link(TagCatalogue& catalogue);
