#include "diagnostics/report_text.h"

#include "catalogue/tag_kinds.h"

std::string catalogue_summary_text(const TagCatalogue& catalogue) {
  std::string text;
  for_each_kind(catalogue, [&](const auto& table, int kind) {
    text += std::string(kind == 0 ? "" : ", ") + TAG_KINDS[kind].Name + " " +
            std::to_string(table.Count);
  });
  return text;
}

std::string init_reading_text(const InitCheck& check) {
  switch (init_reading(check)) {
    case STOP_NOT_READ:
      return "not read: too short";
    case STOP_EMPTY_TOKEN:
      return "stopped at line " + std::to_string(init_token(check, check.StopToken).Line) +
             ": an empty token";
    case STOP_OUT_OF_MEMORY:
      return "stopped early: out of memory";
    case STOP_AT_END:
      break;
  }
  return "read to the end";
}

std::string init_warning_line(const InitCheck& check, const InitWarning& warning) {
  return (init_warning_unusable(warning.Kind) ? "unusable: " : "warning: ") +
         init_warning_text(check, warning);
}

const char* bound_table(bool controller, std::int32_t code) {
  int kind = bound_kind(controller, code);
  return kind == NO_KIND ? nullptr : TAG_KINDS[kind].Name;
}

std::string failed_reads_text(std::int32_t count, std::int32_t last_status) {
  return std::to_string(count) + (count == 1 ? " failed read" : " failed reads") +
         ", the last with status " + std::to_string(last_status);
}
