#include "diagnostics/bindings.h"

#include "catalogue/tag_kinds.h"
#include "diagnostics/report_text.h"
#include "diagnostics/suggestions.h"
#include "diagnostics/unbound_reason.h"

std::vector<BindingDescription> describe_bindings(const TagCatalogue& catalogue,
                                                  const InitCheck* check,
                                                  const std::vector<ItemFacts>& items) {
  std::vector<std::string_view> unbound_tags;
  for (const ItemFacts& item : items) {
    if (bound_table(item.controller, item.code) == nullptr) unbound_tags.push_back(item.tag);
  }
  UnboundReasons reasons(catalogue, check, unbound_tags);
  std::vector<std::vector<TagSuggestion>> suggestions = find_suggestions(catalogue, unbound_tags);

  std::vector<BindingDescription> described;
  described.reserve(items.size());
  std::size_t unbound = 0;
  for (const ItemFacts& item : items) {
    BindingDescription each{bound_table(item.controller, item.code), {}, {}, {}, {}};
    // "TT101.PV ds 1 (inactive): ", then the binding or the reason.
    each.line =
        item.tag + " ds " + std::to_string(item.ds) + (item.active ? "" : " (inactive)") + ": ";
    if (each.table != nullptr) {
      each.line += "code " + std::to_string(item.code) + ", " + each.table + "[" +
                   std::to_string(item.index) + "]";
      if (step_kind(item.controller, item.code) == NO_KIND) {
        each.line += ", which process variables do not write";
      }
      described.push_back(std::move(each));
      continue;
    }
    const std::vector<TagSuggestion>& suggested = suggestions[unbound++];
    each.reason_alone = reasons.reason(item.controller, item.tag, item.ds);
    each.reason = each.reason_alone + suggestions_text(catalogue, suggested);
    each.line += "unbound: " + each.reason;
    for (const TagSuggestion& tag : suggested) {
      SuggestedTag found = suggested_tag(catalogue, tag);
      each.suggestions.push_back({found.Name, TAG_KINDS[tag.Kind].Name, tag.Entry, found.Ds});
    }
    described.push_back(std::move(each));
  }
  return described;
}
