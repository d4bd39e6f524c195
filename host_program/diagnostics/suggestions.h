// Catalogue tags whose names resemble the tag of an item that no tag is
// named after: "did you mean ...". Found for all items of a configure at
// once, through an index of their tags and one pass over the catalogue.
#pragma once

#include <cstdint>

#include "catalogue/tag_catalogue.h"
#include "diagnostics/init_check.h"
#include "diagnostics/similar_names.h"

inline constexpr int SUGGESTIONS_SHOWN = 3;

// An entry of the catalogue: table `Kind`, index `Entry`.
struct TagSuggestion {
  std::int32_t Entry;
  std::uint8_t Kind;
};

// The first tags, in the catalogue's order, whose names resemble a tag.
// Named: a tag has that very name (letter case aside), so the item's
// reason is another and it gets no suggestions.
struct ItemSuggestions {
  TagSuggestion Tags[SUGGESTIONS_SHOWN];
  std::uint8_t Count;
  bool Named;
};

// The index of the items' tags, and the suggestions of each tag's group.
struct TagSuggestions {
  SimilarNames Names;
  ItemSuggestions* Groups;
};

// Finds the suggestions for `count` tags (a null tag gets none), in blocks
// from the host's heap. False when a block was not obtained: there are then
// no suggestions and nothing is held.
bool find_suggestions(TagSuggestions& found, const TagCatalogue& catalogue, const char* const* tags,
                      std::int32_t count);

// The suggestions for tag `position`; null when it has none.
const ItemSuggestions* suggestions_for(const TagSuggestions& found, std::int32_t position);

// The name and data set of a suggested entry.
struct SuggestedTag {
  const char* Name;
  std::int32_t Ds;
};
SuggestedTag suggested_tag(const TagCatalogue& catalogue, const TagSuggestion& suggestion);

// "; did you mean "TT101.PV" (AI[3], data set 1)?", each suggestion so, the
// last two joined by "or"; nothing when `suggestions` is null.
void append_suggestions(MessageText& text, const TagCatalogue& catalogue,
                        const ItemSuggestions* suggestions);

void release_suggestions(TagSuggestions& found);
