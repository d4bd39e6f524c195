// Catalogue tags whose names resemble the tag of an item that no tag is
// named after: "did you mean ...". Found for all items of a configure at
// once, through an index of their tags and one pass over the catalogue.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/tag_catalogue.h"

inline constexpr std::size_t SUGGESTIONS_SHOWN = 3;

// An entry of the catalogue: table `Kind`, index `Entry`.
struct TagSuggestion {
  std::int32_t Entry;
  std::uint8_t Kind;
};

// For each of `tags`, the first SUGGESTIONS_SHOWN tags of the catalogue, in
// its order, whose names resemble it; none for a tag that a tag of the
// catalogue has as its very name (letter case aside), whose reason is
// another.
std::vector<std::vector<TagSuggestion>> find_suggestions(const TagCatalogue& catalogue,
                                                         const std::vector<std::string_view>& tags);

// The name and data set of a suggested entry.
struct SuggestedTag {
  const char* Name;
  std::int32_t Ds;
};
SuggestedTag suggested_tag(const TagCatalogue& catalogue, const TagSuggestion& suggestion);

// "; did you mean "TT101.PV" (AI[3], data set 1)?", each suggestion so, the
// last two joined by "or"; empty when there are none.
std::string suggestions_text(const TagCatalogue& catalogue,
                             const std::vector<TagSuggestion>& suggestions);
