// The words the driver's plant report and the desk tool share: the catalogue
// summary, how far the initialization string was read, its warnings, an
// item's binding or why it has none, and a controller's failed reads. Each
// writes into a caller's buffer; the caller puts its own label before an
// item's line (the desk tool an item's name, the driver its kind and index).
#pragma once

#include <cstdint>

#include "catalogue/tag_catalogue.h"
#include "diagnostics/init_check.h"
#include "diagnostics/suggestions.h"
#include "diagnostics/unbound_reason.h"

// "AI 4, AO 2, DI 2, DO 2, DCD 1, CALC 2".
void catalogue_summary_text(const TagCatalogue& catalogue, MessageText& text);

// "read to the end", "stopped at line 7: an empty token", ...
void init_reading_text(const InitCheck& check, MessageText& text);

// "warning: ..." or "unusable: ...", the warning's text after it.
void init_warning_line(const InitCheck& check, const InitWarning& warning, MessageText& text);

// Which table a binding code names for a controller or a process variable;
// null for a code that leaves the item unbound.
const char* bound_table(bool controller, std::int32_t code);

// An item as its slots hold it after DCSConfigure.
struct ItemBinding {
  bool Controller;
  const char* Tag;
  std::int32_t Ds;
  bool Active;
  std::int32_t Code;
  std::int32_t Index;
};

// "TT101.PV ds 1 (inactive): code 1, AO[0]", or "...: unbound: " and the
// reason, from the lookups of the unbound items' tags, then the tags whose
// names resemble the item's (`suggestions` may be null). Returns where the
// reason begins in the text, or the text's length when there is none.
std::size_t item_binding_text(const ItemBinding& item, const UnboundReasons& reasons,
                              const ItemSuggestions* suggestions, MessageText& text);

// "3 failed reads, the last with status 7".
void failed_reads_text(std::int32_t count, std::int32_t last_status, MessageText& text);
