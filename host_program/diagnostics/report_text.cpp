#include "diagnostics/report_text.h"

#include "catalogue/tag_kinds.h"
#include "diagnostics/unbound_reason.h"

void catalogue_summary_text(const TagCatalogue& catalogue, MessageText& text) {
  for_each_kind(catalogue, [&](const auto& table, int kind) {
    append_text(text, kind == 0 ? "%s %d" : ", %s %d", TAG_KINDS[kind].Name, table.Count);
  });
}

void init_reading_text(const InitCheck& check, MessageText& text) {
  switch (init_reading(check)) {
    case STOP_NOT_READ:
      append_text(text, "not read: too short");
      break;
    case STOP_EMPTY_TOKEN:
      // Without the check's tokens the empty token's line is not known.
      if (check.StopToken < 0) {
        append_text(text, "stopped at an empty token");
      } else {
        append_text(text, "stopped at line %d: an empty token",
                    init_token(check, check.StopToken).Line);
      }
      break;
    case STOP_OUT_OF_MEMORY:
      append_text(text, "stopped early: out of memory");
      break;
    case STOP_AT_END:
      append_text(text, "read to the end");
      break;
  }
}

void init_warning_line(const InitCheck& check, const InitWarning& warning, MessageText& text) {
  append_text(text, init_warning_unusable(warning.Kind) ? "unusable: " : "warning: ");
  init_warning_text(check, warning, text);
}

const char* bound_table(bool controller, std::int32_t code) {
  int kind = bound_kind(controller, code);
  return kind == NO_KIND ? nullptr : TAG_KINDS[kind].Name;
}

std::size_t item_binding_text(const ItemBinding& item, const UnboundReasons& reasons,
                              const ItemSuggestions* suggestions, MessageText& text) {
  append_text(text, "%s ds %d%s: ", item.Tag, item.Ds, item.Active ? "" : " (inactive)");
  const char* table = bound_table(item.Controller, item.Code);
  if (table == nullptr) {
    append_text(text, "unbound: ");
    std::size_t reason = text.Length;
    unbound_reason(reasons, item.Controller, item.Tag, item.Ds, text);
    append_suggestions(text, *reasons.Catalogue, suggestions);
    return reason;
  }
  append_text(text, "code %d, %s[%d]", item.Code, table, item.Index);
  if (step_kind(item.Controller, item.Code) == NO_KIND) {
    append_text(text, ", which process variables do not write");
  }
  return text.Length;
}

void failed_reads_text(std::int32_t count, std::int32_t last_status, MessageText& text) {
  append_text(text, "%d failed read%s, the last with status %d", count, count == 1 ? "" : "s",
              last_status);
}
