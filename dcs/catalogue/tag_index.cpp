#include "catalogue/tag_index.h"

#include <cstddef>
#include <cstdlib>

#include "catalogue/tag_name.h"

namespace {

// FNV-1a over the name with ASCII letters folded, then the data set, then a
// final mix so the low bits that pick a slot depend on every byte. Never 0.
std::uint32_t key_hash(const char* name, std::int32_t ds) {
  std::uint32_t hash = 2166136261u;
  for (const auto* p = reinterpret_cast<const unsigned char*>(name); *p != '\0'; ++p) {
    hash = (hash ^ fold_letter(*p)) * 16777619u;
  }
  hash = (hash ^ static_cast<std::uint32_t>(ds)) * 16777619u;
  hash ^= hash >> 16;
  hash *= 0x85EBCA6Bu;
  hash ^= hash >> 13;
  hash *= 0xC2B2AE35u;
  hash ^= hash >> 16;
  return hash != 0 ? hash : 1;
}

// Name and data set of entry `position` of the table of `kind`.
struct EntryKey {
  const char* name;
  std::int32_t id;
};

EntryKey key_of(const TagCatalogue& catalogue, int kind, int position) {
  EntryKey key = {nullptr, 0};
  visit_table(catalogue, kind, [&](const auto& each) {
    key = {each.Entries[position].Name, each.Entries[position].Id};
  });
  return key;
}

// True when the slot holds the name and data set: its entries all share
// them, so any one of them tells.
bool holds(const TagIndexSlot& slot, const TagCatalogue& catalogue, const char* name,
           std::int32_t ds) {
  int table = 0;
  while (slot.First[table] == 0) ++table;
  EntryKey key = key_of(catalogue, table, slot.First[table] - 1);
  return key.id == ds && same_tag_name(name, key.name);
}

// The slot of the key, or the free slot where it belongs.
TagIndexSlot& probe(const TagIndex& index, const TagCatalogue& catalogue, const char* name,
                    std::int32_t ds, std::uint32_t hash) {
  for (std::uint32_t at = hash & index.Mask;; at = (at + 1) & index.Mask) {
    TagIndexSlot& slot = index.Slots[at];
    if (slot.Hash == 0 || (slot.Hash == hash && holds(slot, catalogue, name, ds))) return slot;
  }
}

}  // namespace

bool build_tag_index(TagIndex& index, const TagCatalogue& catalogue) {
  std::size_t entries = 0;
  for_each_table(catalogue, [&entries](const auto& table) {
    if (table.Count > 0) entries += static_cast<std::size_t>(table.Count);
  });
  // At most half the slots are taken, so probes stay short.
  std::size_t slots = 16;
  while (slots < 2 * entries) slots *= 2;
  index.Slots = static_cast<TagIndexSlot*>(std::calloc(slots, sizeof(TagIndexSlot)));
  index.Mask = static_cast<std::uint32_t>(slots - 1);
  if (index.Slots == nullptr) {
    index.Mask = 0;
    return false;
  }
  // Tables and entries in the catalogue's order, so the first entry of each
  // table with a key is the one recorded.
  for_each_kind(catalogue, [&](const auto& each, int kind) {
    for (int i = 0; i < each.Count; ++i) {
      const char* name = each.Entries[i].Name;
      std::int32_t ds = each.Entries[i].Id;
      std::uint32_t hash = key_hash(name, ds);
      TagIndexSlot& slot = probe(index, catalogue, name, ds, hash);
      slot.Hash = hash;
      if (slot.First[kind] == 0) slot.First[kind] = static_cast<std::uint16_t>(i + 1);
    }
  });
  return true;
}

const TagIndexSlot* find_tag(const TagIndex& index, const TagCatalogue& catalogue, const char* name,
                             std::int32_t ds) {
  const TagIndexSlot& slot = probe(index, catalogue, name, ds, key_hash(name, ds));
  return slot.Hash != 0 ? &slot : nullptr;
}

void release_tag_index(TagIndex& index) {
  std::free(index.Slots);
  index.Slots = nullptr;
  index.Mask = 0;
}
