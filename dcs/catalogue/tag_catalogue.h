// The tag catalogue: six tables of the emulator's tags, read from its
// initialization string. The driver module holds one catalogue; it lives from
// the first DCSLoad until DCSDestroy, whatever record the host passes.
#pragma once

#include <cstdint>
#include <tuple>
#include <utility>

#include "catalogue/tag_kinds.h"

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
inline constexpr std::int16_t MAXTAGS = INT16_MAX;

// An initialization string of this length or less holds no tags: it is at
// most the six headers, each on its own line.
inline constexpr std::int32_t EMPTY_INIT_LENGTH = 33;
// A longer reported length is not believed: no buffer is allocated for it.
inline constexpr std::int32_t MAX_INIT_LENGTH = 1 << 28;

// Either all six tables exist or none does. Each member holds the entries of
// the kind of the same position in TAG_KINDS, in their shape.
struct TagCatalogue {
  TagTable<RangedTag> AI;
  TagTable<RangedTag> AO;
  TagTable<PlainTag> DI;
  TagTable<PlainTag> DO;
  TagTable<DcdTag> DCD;
  TagTable<PlainTag> CALC;
};

// Each kind's table, in the order of TAG_KINDS.
inline constexpr auto KIND_TABLES =
    std::make_tuple(&TagCatalogue::AI, &TagCatalogue::AO, &TagCatalogue::DI, &TagCatalogue::DO,
                    &TagCatalogue::DCD, &TagCatalogue::CALC);
static_assert(std::tuple_size_v<decltype(KIND_TABLES)> == TAG_TABLES);

// The table of kind `Kind`; const when the catalogue is.
template <int Kind, typename Catalogue>
auto& table_of(Catalogue& catalogue) {
  return catalogue.*std::get<Kind>(KIND_TABLES);
}

template <typename Catalogue, typename Visit, int... Kinds>
void visit_kinds(Catalogue& catalogue, Visit& visit, std::integer_sequence<int, Kinds...>) {
  (visit(table_of<Kinds>(catalogue), Kinds), ...);
}

// Calls visit(table, kind) for each of the six tables, in their order.
template <typename Catalogue, typename Visit>
void for_each_kind(Catalogue& catalogue, Visit visit) {
  visit_kinds(catalogue, visit, std::make_integer_sequence<int, TAG_TABLES>());
}

// Calls visit(table) for each of the six tables, in their order.
template <typename Catalogue, typename Visit>
void for_each_table(Catalogue& catalogue, Visit visit) {
  for_each_kind(catalogue, [&visit](auto& table, int) { visit(table); });
}

// Calls visit(table) for the table of `kind`; for any other number, for none.
template <typename Catalogue, typename Visit>
void visit_table(Catalogue& catalogue, int kind, Visit visit) {
  for_each_kind(catalogue, [&](auto& table, int each) {
    if (each == kind) visit(table);
  });
}

bool catalogue_exists(const TagCatalogue& catalogue);

// The kind whose section header the token is, matched byte for byte, or
// NO_KIND.
int section_of(const char* token);

// The index of the first entry of the table of `kind` with the tag's name
// (as same_tag_name compares it) and the data set `ds`; -1 when there is
// none, or no table of that kind.
std::int32_t find_in_table(const TagCatalogue& catalogue, int kind, const char* tag,
                           std::int32_t ds);

// What the loader made of a token, or how its reading ended, as told to an
// observer of the load.
enum LoadEventKind : std::uint8_t {
  SEEN_BEFORE_HEADER,  // a token before the first header: skipped
  SEEN_HEADER,         // switched the section
  SEEN_NAME,           // the first token of a record
  SEEN_FIELD,          // a later token of a record, whatever it holds
  SEEN_UNREAD,         // a token after the reading stopped
  SEEN_STOP,           // the empty token, with text left, that ends the reading
  SEEN_OUT_OF_MEMORY,  // the record just told was not stored: memory ran out
};

struct LoadEvent {
  const char* Token;    // inside the loaded text, cut; null for SEEN_OUT_OF_MEMORY
  std::int8_t Section;  // NO_KIND before the first header
  std::uint8_t Kind;
  std::uint8_t Field;  // a field's position in its record
  bool PastEnd;        // a field taken after the end of the text
  std::int32_t Entry;  // a name: its index in its table, -1 when the table is full
};

// Shown the text before the loader cuts it, then every token in the text's
// order, those after an early stop included. An observer's own trouble
// (memory it cannot get) never changes the load.
struct LoadObserver {
  void* Context;
  void (*Begin)(void* context, char* text, std::int32_t length);
  void (*Seen)(void* context, const LoadEvent& event);
  // Offered the cut text after the load; true when it keeps it and frees it
  // itself later.
  bool (*Keep)(void* context, char* text);
};

// How many entries each table's block holds during one load. A table comes
// to the load with a block of at least max(count, 1) entries: exactly that
// after an earlier load's trim, or more when the trim was refused.
struct TableCapacities {
  std::int32_t entries[TAG_TABLES];
};

// The first half of a load: creates the tables if there are none, then
// appends the records of `text`, a writable zero-terminated string that the
// tokenizer cuts in place, leaving each table's spare capacity in
// `capacity` (zeroed by the caller). False when memory ran out and the load
// stopped early; what was read so far stays, and when the tables could not
// be created the catalogue is left as it was.
// With an observer, the loader tells it each token and reads the text to its
// end; without one, its work is the load's alone.
bool append_untrimmed(TagCatalogue& catalogue, char* text, TableCapacities& capacity,
                      const LoadObserver* observer = nullptr);

// The second half: trims each table to exactly its count. Run after the
// string's buffer is freed, so that a table copied by the trim finds the
// heap with less in it.
void trim_tables(TagCatalogue& catalogue, const TableCapacities& capacity);

// A whole load of `text`: `length` bytes in a block of length + 1 from malloc
// whose last byte is zero, which the load takes over. The observer is shown
// the text, then every token; then the text is freed, unless the observer
// keeps it, before the tables are trimmed. False when memory ran out.
bool load_text(TagCatalogue& catalogue, char* text, std::int32_t length,
               const LoadObserver* observer = nullptr);

// Both halves at once, for a text that the caller frees afterwards.
bool append_tags_checked(TagCatalogue& catalogue, char* text,
                         const LoadObserver* observer = nullptr);

// The second half of DCSDestroy: every name, then every array; afterwards no
// catalogue exists.
void release_catalogue(TagCatalogue& catalogue);
