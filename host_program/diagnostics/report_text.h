// The words the desk tool's reports share: the catalogue summary, how far
// the initialization string was read, its warnings, the table a binding code
// names, and a controller's failed reads.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/tag_catalogue.h"
#include "diagnostics/init_check.h"

// "AI 4, AO 2, DI 2, DO 2, DCD 1, CALC 2".
std::string catalogue_summary_text(const TagCatalogue& catalogue);

// "read to the end", "stopped at line 7: an empty token", ...
std::string init_reading_text(const InitCheck& check);

// "warning: ..." or "unusable: ...", the warning's text after it.
std::string init_warning_line(const InitCheck& check, const InitWarning& warning);

// Which table a binding code names for a controller or a process variable;
// null for a code that leaves the item unbound.
const char* bound_table(bool controller, std::int32_t code);

// "3 failed reads, the last with status 7".
std::string failed_reads_text(std::int32_t count, std::int32_t last_status);
