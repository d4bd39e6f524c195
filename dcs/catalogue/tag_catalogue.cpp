#include "catalogue/tag_catalogue.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "catalogue/numbers.h"
#include "catalogue/tag_name.h"
#include "catalogue/tokenizer.h"

namespace {

template <typename Entry>
void release_table(TagTable<Entry>& table) {
  if (table.Entries == nullptr) return;
  for (int i = 0; i < table.Count; ++i) std::free(table.Entries[i].Name);
  std::free(table.Entries);
  table.Entries = nullptr;
  table.Count = 0;
}

// All six tables with a block of one entry each, or none of them.
bool create_tables(TagCatalogue& catalogue) {
  bool created = true;
  for_each_table(catalogue, [&created](auto& table) {
    if (!created) return;
    table.Entries = static_cast<decltype(table.Entries)>(std::malloc(sizeof *table.Entries));
    created = table.Entries != nullptr;
  });
  if (!created) {
    // Nothing was counted yet: only the blocks go.
    for_each_table(catalogue, [](auto& table) {
      std::free(table.Entries);
      table.Entries = nullptr;
    });
  }
  return created;
}

// The entry's own copy of a tag's name, from the module's heap.
char* copy_name(const char* text) {
  std::size_t size = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(std::malloc(size));
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

template <typename Entry>
std::int32_t entries_held(const TagTable<Entry>& table) {
  return table.Count > 1 ? table.Count : 1;
}

// Gives a full table room for one more entry. Capacity doubles, so a load of
// n records moves each table's entries O(1) times on average. When the
// doubled block is refused, exactly one more entry is asked for, as a load
// that grows by one entry per record would ask, so the growth policy never
// stops a load that could go on. False when that is refused too: the old
// block stays the table's.
template <typename Entry>
bool make_room(TagTable<Entry>& table, std::int32_t& capacity) {
  if (table.Count < capacity) return true;
  std::int32_t wanted = capacity < MAXTAGS / 2 ? capacity * 2 : MAXTAGS;
  auto* grown = static_cast<Entry*>(
      std::realloc(table.Entries, sizeof(Entry) * static_cast<std::size_t>(wanted)));
  if (grown == nullptr && wanted > table.Count + 1) {
    wanted = table.Count + 1;
    grown = static_cast<Entry*>(
        std::realloc(table.Entries, sizeof(Entry) * static_cast<std::size_t>(wanted)));
  }
  if (grown == nullptr) return false;
  table.Entries = grown;
  capacity = wanted;
  return true;
}

// Gives back the spare capacity once the load is over, so a loaded table's
// block holds exactly its entries (one, while it is empty). A refused trim
// keeps the larger block, which holds every entry just as well.
template <typename Entry>
void trim(TagTable<Entry>& table, std::int32_t capacity) {
  std::int32_t held = entries_held(table);
  if (capacity <= held) return;
  auto* trimmed = static_cast<Entry*>(
      std::realloc(table.Entries, sizeof(Entry) * static_cast<std::size_t>(held)));
  if (trimmed != nullptr) table.Entries = trimmed;
}

// Tells the observer of one token or event. Out of line, so the load's own
// path keeps only the test for an observer.
[[gnu::noinline]] void tell_event(const LoadObserver& observer, const char* token, int section,
                                  std::uint8_t kind, int field, bool past_end, std::int32_t entry) {
  observer.Seen(observer.Context, {token, static_cast<std::int8_t>(section), kind,
                                   static_cast<std::uint8_t>(field), past_end, entry});
}

void tell(const LoadObserver* observer, const char* token, int section, std::uint8_t kind,
          std::int32_t entry = -1) {
  if (observer != nullptr) tell_event(*observer, token, section, kind, 0, false, entry);
}

[[gnu::noinline]] char* next_field_told(char** cursor, int section, int field,
                                        const LoadObserver& observer) {
  bool past_end = **cursor == '\0';
  char* token = next_token(cursor);
  tell_event(observer, token, section, SEEN_FIELD, field, past_end, -1);
  return token;
}

// The next token of a record, told to the observer, if any, as its field.
char* next_field(char** cursor, int section, int field, const LoadObserver* observer) {
  if (observer == nullptr) return next_token(cursor);
  return next_field_told(cursor, section, field, *observer);
}

// The fields that follow Id, by entry shape; `field` is the position of the
// first of them.
void read_extra_fields(PlainTag&, char**, int, const LoadObserver*) {}

void read_extra_fields(RangedTag& entry, char** cursor, int section, const LoadObserver* observer) {
  entry.Low = parse_real(next_field(cursor, section, ID_TOKEN + 1, observer));
  entry.High = parse_real(next_field(cursor, section, ID_TOKEN + 2, observer));
}

void read_extra_fields(DcdTag& entry, char** cursor, int section, const LoadObserver* observer) {
  int field = ID_TOKEN + 1;
  for (double& value : entry.StateValue) {
    value = parse_real(next_field(cursor, section, field++, observer));
  }
}

// Reads the rest of the record whose first token is `name` and appends it.
// Every token of the record is taken, so the text stays aligned even when
// the record is dropped because the table is full. Returns false when memory
// ran out; the table then holds exactly its earlier entries.
template <typename Entry>
bool append_record(TagTable<Entry>& table, std::int32_t& capacity, int section, char* name,
                   char** cursor, const LoadObserver* observer) {
  std::int32_t index = table.Count == MAXTAGS ? -1 : table.Count;
  tell(observer, name, section, SEEN_NAME, index);
  Entry entry = {};
  next_field(cursor, section, 1, observer);  // the token after the name is not used
  entry.Id = parse_id(next_field(cursor, section, ID_TOKEN, observer));
  entry.Handle = 0;
  read_extra_fields(entry, cursor, section, observer);
  if (index < 0) return true;

  if (!make_room(table, capacity)) return false;
  entry.Name = copy_name(name);
  if (entry.Name == nullptr) return false;
  table.Entries[table.Count] = entry;
  ++table.Count;
  return true;
}

// What an observer is told of the text after the reading stopped early.
void tell_unread(char* cursor, int section, const LoadObserver* observer) {
  while (*cursor != '\0') {
    char* token = next_token(&cursor);
    if (*token != '\0') {
      tell(observer, token, section, SEEN_UNREAD);
    }
  }
}

}  // namespace

bool append_untrimmed(TagCatalogue& catalogue, char* text, TableCapacities& capacity,
                      const LoadObserver* observer) {
  if (!catalogue_exists(catalogue) && !create_tables(catalogue)) {
    tell(observer, nullptr, NO_KIND, SEEN_OUT_OF_MEMORY);
    if (observer != nullptr) tell_unread(text, NO_KIND, observer);
    return false;
  }

  for_each_kind(catalogue,
                [&](auto& table, int kind) { capacity.entries[kind] = entries_held(table); });

  char* cursor = text;
  int section = NO_KIND;
  bool stored = true;
  // Only a record's first token may be a header or end the text; the tokens
  // after it are its fields, whatever they hold.
  char* token = next_token(&cursor);
  for (; stored && *token != '\0'; token = next_token(&cursor)) {
    int header = section_of(token);
    if (header != NO_KIND) {
      section = header;
      tell(observer, token, section, SEEN_HEADER);
    } else if (section == NO_KIND) {
      tell(observer, token, NO_KIND, SEEN_BEFORE_HEADER);
    } else {
      visit_table(catalogue, section, [&](auto& table) {
        stored = append_record(table, capacity.entries[section], section, token, &cursor, observer);
      });
    }
  }
  if (observer == nullptr) return stored;
  if (!stored) {
    tell(observer, nullptr, section, SEEN_OUT_OF_MEMORY);
    // The token the loop took before it saw the failure is the first unread.
    if (*token != '\0') {
      tell(observer, token, section, SEEN_UNREAD);
    }
  } else if (*cursor != '\0') {
    tell(observer, token, section, SEEN_STOP);
  }
  tell_unread(cursor, section, observer);
  return stored;
}

void trim_tables(TagCatalogue& catalogue, const TableCapacities& capacity) {
  for_each_kind(catalogue, [&](auto& table, int kind) { trim(table, capacity.entries[kind]); });
}

bool catalogue_exists(const TagCatalogue& catalogue) { return catalogue.AI.Entries != nullptr; }

int section_of(const char* token) {
  if (token[0] != '*') return NO_KIND;  // every header starts so; most names do not
  for (int kind = 0; kind < TAG_TABLES; ++kind) {
    if (std::strcmp(token, TAG_KINDS[kind].Header) == 0) return kind;
  }
  return NO_KIND;
}

std::int32_t find_in_table(const TagCatalogue& catalogue, int kind, const char* tag,
                           std::int32_t ds) {
  std::int32_t at = -1;
  visit_table(catalogue, kind, [&](const auto& table) {
    for (std::int32_t i = 0; i < table.Count && at < 0; ++i) {
      if (same_tag_name(tag, table.Entries[i].Name) && table.Entries[i].Id == ds) at = i;
    }
  });
  return at;
}

bool load_text(TagCatalogue& catalogue, char* text, std::int32_t length,
               const LoadObserver* observer) {
  if (observer != nullptr) observer->Begin(observer->Context, text, length);
  TableCapacities capacity = {};
  bool complete = append_untrimmed(catalogue, text, capacity, observer);
  // Trimming may copy a table; without the buffer the heap holds less.
  if (observer == nullptr || !observer->Keep(observer->Context, text)) std::free(text);
  trim_tables(catalogue, capacity);
  return complete;
}

bool append_tags_checked(TagCatalogue& catalogue, char* text, const LoadObserver* observer) {
  TableCapacities capacity = {};
  bool stored = append_untrimmed(catalogue, text, capacity, observer);
  trim_tables(catalogue, capacity);
  return stored;
}

void release_catalogue(TagCatalogue& catalogue) {
  for_each_table(catalogue, [](auto& table) { release_table(table); });
}
