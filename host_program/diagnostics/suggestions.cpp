#include "diagnostics/suggestions.h"

#include <cstdlib>

#include "catalogue/tag_kinds.h"

namespace {

// The entry being probed, and where its resemblances go.
struct Pass {
  ItemSuggestions* Groups;
  TagSuggestion Entry;
};

void found_similar(void* context, std::int32_t group, bool same) {
  auto& pass = *static_cast<Pass*>(context);
  ItemSuggestions& suggestions = pass.Groups[group];
  if (same) {
    suggestions.Named = true;
    suggestions.Count = 0;
  } else if (!suggestions.Named && suggestions.Count < SUGGESTIONS_SHOWN) {
    suggestions.Tags[suggestions.Count++] = pass.Entry;
  }
}

}  // namespace

bool find_suggestions(TagSuggestions& found, const TagCatalogue& catalogue, const char* const* tags,
                      std::int32_t count) {
  found = {};
  bool any = false;
  for (std::int32_t i = 0; i < count; ++i) any |= tags[i] != nullptr;
  if (!any) return true;
  if (!index_similar_names(found.Names, tags, count)) return false;
  found.Groups = static_cast<ItemSuggestions*>(
      std::calloc(static_cast<std::size_t>(count), sizeof(ItemSuggestions)));
  if (found.Groups == nullptr) {
    release_similar_names(found.Names);
    return false;
  }
  Pass pass = {found.Groups, {0, 0}};
  for_each_kind(catalogue, [&](const auto& table, int kind) {
    for (std::int32_t i = 0; i < table.Count; ++i) {
      pass.Entry = {i, static_cast<std::uint8_t>(kind)};
      probe_similar_names(found.Names, table.Entries[i].Name, found_similar, &pass);
    }
  });
  return true;
}

const ItemSuggestions* suggestions_for(const TagSuggestions& found, std::int32_t position) {
  if (found.Groups == nullptr || position < 0 || position >= found.Names.Count) return nullptr;
  const ItemSuggestions& group = found.Groups[found.Names.Group[position]];
  return group.Count > 0 ? &group : nullptr;
}

SuggestedTag suggested_tag(const TagCatalogue& catalogue, const TagSuggestion& suggestion) {
  SuggestedTag tag = {"", 0};
  visit_table(catalogue, suggestion.Kind, [&](const auto& table) {
    tag = {table.Entries[suggestion.Entry].Name, table.Entries[suggestion.Entry].Id};
  });
  return tag;
}

void append_suggestions(MessageText& text, const TagCatalogue& catalogue,
                        const ItemSuggestions* suggestions) {
  if (suggestions == nullptr) return;
  for (int i = 0; i < suggestions->Count; ++i) {
    const TagSuggestion& each = suggestions->Tags[i];
    SuggestedTag tag = suggested_tag(catalogue, each);
    append_text(text, i == 0 ? "; did you mean " : (i + 1 == suggestions->Count ? " or " : ", "));
    append_token(text, tag.Name);
    append_text(text, " (%s[%d], data set %d)", TAG_KINDS[each.Kind].Name, each.Entry, tag.Ds);
  }
  append_text(text, "?");
}

void release_suggestions(TagSuggestions& found) {
  release_similar_names(found.Names);
  std::free(found.Groups);
  found = {};
}
