#include "diagnostics/bindings.h"

#include "diagnostics/report_text.h"
#include "diagnostics/suggestions.h"
#include "diagnostics/unbound_reason.h"

namespace {

constexpr std::size_t LINE_SIZE = 1024;

bool unbound(const ItemFacts& item) { return bound_table(item.controller, item.code) == nullptr; }

}  // namespace

std::vector<BindingDescription> describe_bindings(const TagCatalogue& catalogue,
                                                  const InitCheck* check,
                                                  const std::vector<ItemFacts>& items) {
  auto count = static_cast<std::int32_t>(items.size());
  std::vector<const char*> tags;
  for (const ItemFacts& item : items) tags.push_back(unbound(item) ? item.tag.c_str() : nullptr);

  UnboundReasons reasons{};
  begin_unbound_reasons(reasons, catalogue, check, count);
  for (const char* tag : tags) {
    if (tag != nullptr) seek_unbound_tag(reasons, tag);
  }
  find_unbound_tags(reasons);
  TagSuggestions suggestions{};
  find_suggestions(suggestions, catalogue, tags.data(), count);

  std::vector<BindingDescription> described;
  described.reserve(items.size());
  for (std::int32_t i = 0; i < count; ++i) {
    const ItemFacts& item = items[static_cast<std::size_t>(i)];
    const ItemSuggestions* suggested = suggestions_for(suggestions, i);
    char line[LINE_SIZE];
    MessageText text = message_text(line, sizeof line);
    std::size_t reason = item_binding_text(
        {item.controller, item.tag.c_str(), item.ds, item.active, item.code, item.index}, reasons,
        suggested, text);
    BindingDescription each{bound_table(item.controller, item.code), line, "", {}};
    if (each.table == nullptr) {
      each.reason = line + reason;
      for (int s = 0; suggested != nullptr && s < suggested->Count; ++s) {
        const TagSuggestion& tag = suggested->Tags[s];
        SuggestedTag found = suggested_tag(catalogue, tag);
        each.suggestions.push_back({found.Name, TAG_KINDS[tag.Kind].Name, tag.Entry, found.Ds});
      }
    }
    described.push_back(std::move(each));
  }
  release_suggestions(suggestions);
  release_unbound_reasons(reasons);
  return described;
}
