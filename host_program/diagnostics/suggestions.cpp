#include "diagnostics/suggestions.h"

#include "catalogue/tag_kinds.h"
#include "diagnostics/escaped_text.h"
#include "diagnostics/similar_names.h"

std::vector<std::vector<TagSuggestion>> find_suggestions(
    const TagCatalogue& catalogue, const std::vector<std::string_view>& tags) {
  std::vector<std::vector<TagSuggestion>> found(tags.size());
  if (tags.empty()) return found;
  SimilarNames index(tags);
  // A group named by a catalogue tag gets no suggestions.
  std::vector<bool> named(tags.size());
  for_each_kind(catalogue, [&](const auto& table, int kind) {
    for (std::int32_t i = 0; i < table.Count; ++i) {
      for (auto [group, same] : index.probe(table.Entries[i].Name)) {
        auto at = static_cast<std::size_t>(group);
        std::vector<TagSuggestion>& suggestions = found[at];
        if (same) {
          named[at] = true;
          suggestions.clear();
        } else if (!named[at] && suggestions.size() < SUGGESTIONS_SHOWN) {
          suggestions.push_back({i, static_cast<std::uint8_t>(kind)});
        }
      }
    }
  });
  for (std::size_t i = 0; i < tags.size(); ++i) {
    auto group = static_cast<std::size_t>(index.group(static_cast<std::int32_t>(i)));
    if (group != i) found[i] = found[group];
  }
  return found;
}

SuggestedTag suggested_tag(const TagCatalogue& catalogue, const TagSuggestion& suggestion) {
  SuggestedTag tag = {"", 0};
  visit_table(catalogue, suggestion.Kind, [&](const auto& table) {
    tag = {table.Entries[suggestion.Entry].Name, table.Entries[suggestion.Entry].Id};
  });
  return tag;
}

std::string suggestions_text(const TagCatalogue& catalogue,
                             const std::vector<TagSuggestion>& suggestions) {
  if (suggestions.empty()) return {};
  std::string text;
  for (std::size_t i = 0; i < suggestions.size(); ++i) {
    const TagSuggestion& each = suggestions[i];
    SuggestedTag tag = suggested_tag(catalogue, each);
    text += i == 0 ? "; did you mean " : (i + 1 == suggestions.size() ? " or " : ", ");
    text += quoted_token(tag.Name) + " (" + TAG_KINDS[each.Kind].Name + "[" +
            std::to_string(each.Entry) + "], data set " + std::to_string(tag.Ds) + ")";
  }
  return text + "?";
}
