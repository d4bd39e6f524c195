// The catalogue loader on its own, against the host library's heap with an
// allocation failing part-way. The first input byte steers the failure and
// the number of appends, the rest is the initialization string. The string
// is read with the failure; when an allocation did fail it is read again
// with every allocation granted. Each catalogue must be consistent, and the
// one read with the failure must hold, table by table, a prefix of the
// other: all of it when the loader says it read the text to its end, less
// when it says memory ran out. After the releases no block may be left.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "catalogue/tag_catalogue.h"
#include "corva/corva_control.h"
#include "host/host_library.h"

namespace {

[[noreturn]] void finding(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

// Each append reads its own exact-size copy, which the tokenizer cuts in
// place; reading stops after the first append that runs out of memory, as a
// host's next load would start afresh.
bool read_all(TagCatalogue& catalogue, const std::string& text, int appends) {
  for (int i = 0; i < appends; ++i) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    if (!append_tags_checked(catalogue, copy.get())) return false;
  }
  return true;
}

template <typename Entry>
void check_table(const TagTable<Entry>& table) {
  if (table.Count < 0 || table.Count > MAXTAGS) finding("count out of range");
  if (table.Entries == nullptr) return;
  std::size_t needed = sizeof(Entry) * static_cast<std::size_t>(table.Count);
  if (Corva__msize(table.Entries) < needed) finding("array smaller than its count");
  for (int i = 0; i < table.Count; ++i) {
    const Entry& entry = table.Entries[i];
    if (entry.Name == nullptr || entry.Name[0] == '\0') finding("entry without a name");
    if (entry.Handle != 0) finding("new entry with a handle");
  }
}

// Either all six tables exist or none does, and every count matches its array.
void check_consistent(TagCatalogue& catalogue) {
  int created = 0;
  for_each_table(catalogue, [&](const auto& table) {
    check_table(table);
    created += table.Entries != nullptr;
    if (table.Entries == nullptr && table.Count != 0) finding("count without a table");
  });
  if (created != 0 && created != 6) finding("some tables but not all");
}

// The fields after Name compared bit for bit.
template <typename Entry>
bool same_entry(const Entry& a, const Entry& b) {
  constexpr std::size_t after_name = offsetof(Entry, Id);
  return std::strcmp(a.Name, b.Name) == 0 &&
         std::memcmp(reinterpret_cast<const char*>(&a) + after_name,
                     reinterpret_cast<const char*>(&b) + after_name,
                     sizeof(Entry) - after_name) == 0;
}

// 1 when `part` holds all of `whole`, 0 when a proper prefix, -1 otherwise.
template <typename Entry>
int prefix_of(const TagTable<Entry>& part, const TagTable<Entry>& whole) {
  if (part.Count > whole.Count) return -1;
  for (int i = 0; i < part.Count; ++i) {
    if (!same_entry(part.Entries[i], whole.Entries[i])) return -1;
  }
  return part.Count == whole.Count ? 1 : 0;
}

void compare(TagCatalogue& partial, TagCatalogue& whole, bool complete) {
  if (!catalogue_exists(partial)) {
    if (complete) finding("complete load without tables");
    return;
  }
  const int results[6] = {prefix_of(partial.AI, whole.AI),   prefix_of(partial.AO, whole.AO),
                          prefix_of(partial.DI, whole.DI),   prefix_of(partial.DO, whole.DO),
                          prefix_of(partial.DCD, whole.DCD), prefix_of(partial.CALC, whole.CALC)};
  bool everything = true;
  for (int result : results) {
    if (result < 0) finding("entries that the whole read does not have");
    everything = everything && result == 1;
  }
  if (complete && !everything) finding("complete load lost entries");
  if (!complete && everything) finding("load reported a loss but lost nothing");
}

void check_released(TagCatalogue& catalogue) {
  release_catalogue(catalogue);
  for_each_table(catalogue, [](const auto& table) {
    if (table.Entries != nullptr || table.Count != 0) finding("table left after release");
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const long failing = data[0] & 0x3F;  // the n-th allocation from now; 0 for none
  const int sticky = (data[0] & 0x40) != 0;
  const int appends = (data[0] & 0x80) != 0 ? 2 : 1;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  text.resize(std::strlen(text.c_str()));

  corva_reset();
  const long before = corva_live_blocks();
  TagCatalogue partial = {};
  corva_fail_allocation(failing, sticky);
  bool complete = read_all(partial, text, appends);
  const bool failed = failing != 0 && corva_allocations() >= failing;
  corva_fail_allocation(0, 0);
  check_consistent(partial);
  if (!failed && !complete) finding("load without failures ran out of memory");

  // The whole read is needed only where an allocation failed.
  if (failed) {
    TagCatalogue whole = {};
    if (!read_all(whole, text, appends)) finding("load without failures ran out of memory");
    check_consistent(whole);
    compare(partial, whole, complete);
    check_released(whole);
  }
  check_released(partial);
  if (corva_live_blocks() != before) finding("blocks left after release");
  return 0;
}
