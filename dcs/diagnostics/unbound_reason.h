// Why an item matched no catalogue entry, in words. Given the check of the
// initialization string the catalogue was read from, the reason also says
// where in that string a name the item looks for stands, when the loader
// did not make it the entry the item needed.
#pragma once

#include <cstdint>

#include "catalogue/tag_catalogue.h"
#include "diagnostics/init_check.h"

// `check` may be null: the reason then rests on the catalogue alone.
void unbound_reason(const TagCatalogue& catalogue, const InitCheck* check, bool controller,
                    const char* tag, std::int32_t ds, MessageText& text);
