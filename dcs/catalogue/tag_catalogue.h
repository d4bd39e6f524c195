// The tag catalogue: six tables of the emulator's tags, read from its
// initialization string. The driver module holds one catalogue; it lives from
// the first DCSLoad until DCSDestroy, whatever record the host passes.
#pragma once

#include <cstdint>

// Entries, in the string's order. Name is a heap copy owned by the entry;
// Handle is a word that belongs to the emulator's library (created as 0).
struct PlainTag {
  char* Name;
  std::int32_t Id;
  std::int32_t Handle;
};

struct RangedTag {
  char* Name;
  std::int32_t Id;
  std::int32_t Handle;
  double Low;
  double High;
};

inline constexpr int DCD_STATE_VALUES = 17;

struct DcdTag {
  char* Name;
  std::int32_t Id;
  std::int32_t Handle;
  double StateValue[DCD_STATE_VALUES];
};

// A contiguous array of Count entries. Once created, Entries is not null even
// while Count is 0. Between loads the block holds exactly max(Count, 1)
// entries, unless the heap refused to shrink it.
template <typename Entry>
struct TagTable {
  Entry* Entries;
  std::int16_t Count;
};

// A table's count is a signed 16-bit number. Further records of a full table
// are read and dropped.
inline constexpr std::int16_t MAXTAGS = 32767;

// An initialization string of this length or less holds no tags: it is at
// most the six headers, each on its own line.
inline constexpr std::int32_t EMPTY_INIT_LENGTH = 33;
// A longer reported length is not believed: no buffer is allocated for it.
inline constexpr std::int32_t MAX_INIT_LENGTH = 1 << 28;

inline constexpr int TAG_TABLES = 6;

// Either all six tables exist or none does. Tables are visited in the order
// of the members.
struct TagCatalogue {
  TagTable<RangedTag> AI;
  TagTable<RangedTag> AO;
  TagTable<PlainTag> DI;
  TagTable<PlainTag> DO;
  TagTable<DcdTag> DCD;
  TagTable<PlainTag> CALC;
};

// Calls visit(table) for each of the six tables, in their order; the tables
// are const when the catalogue is.
template <typename Catalogue, typename Visit>
void for_each_table(Catalogue& catalogue, Visit visit) {
  visit(catalogue.AI);
  visit(catalogue.AO);
  visit(catalogue.DI);
  visit(catalogue.DO);
  visit(catalogue.DCD);
  visit(catalogue.CALC);
}

// Calls visit(table) for the table at `position` in that order (0 for AI to
// 5 for CALC); for any other position, for none.
template <typename Catalogue, typename Visit>
void visit_table(Catalogue& catalogue, int position, Visit visit) {
  int at = 0;
  for_each_table(catalogue, [&](auto& table) {
    if (at++ == position) visit(table);
  });
}

// The module's catalogue.
extern TagCatalogue tag_catalogue;

bool catalogue_exists(const TagCatalogue& catalogue);

// The second half of DCSLoad: asks the emulator for its initialization
// string and appends its tags, or shows the load warning when it holds none.
void load_catalogue(TagCatalogue& catalogue);

// Creates the tables if there are none, then appends the records of `text`,
// a writable zero-terminated string that the tokenizer cuts in place. False
// when memory ran out and the load stopped early. What was read so far
// stays, and when the tables could not be created the catalogue is left as
// it was.
bool append_tags_checked(TagCatalogue& catalogue, char* text);

// The second half of DCSDestroy: every name, then every array; afterwards no
// catalogue exists.
void release_catalogue(TagCatalogue& catalogue);
