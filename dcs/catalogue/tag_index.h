// A hash index over the catalogue for the binding: for each tag name, letter
// case aside, and data set, the first entry with them in each of the six
// tables. It answers exactly what a search of each table from its first
// entry answers, at a cost that does not grow with the tables.
#pragma once

#include <cstdint>

#include "catalogue/tag_catalogue.h"

// One name and data set. First[t] is 1 + the index of the first matching
// entry of table t, in the catalogue's order, or 0 when table t has none.
// Hash 0 marks a free slot.
struct TagIndexSlot {
  std::uint32_t Hash;
  std::uint16_t First[TAG_TABLES];
};

// A power-of-two array of slots, found by linear probing.
struct TagIndex {
  TagIndexSlot* Slots;
  std::uint32_t Mask;
};

// Builds the index of `catalogue` in one block from the host's heap. False
// when the block was not obtained: the index is then empty and owns nothing.
bool build_tag_index(TagIndex& index, const TagCatalogue& catalogue);

// The slot of the name and data set, or null when no entry has them.
const TagIndexSlot* find_tag(const TagIndex& index, const TagCatalogue& catalogue, const char* name,
                             std::int32_t ds);

void release_tag_index(TagIndex& index);
