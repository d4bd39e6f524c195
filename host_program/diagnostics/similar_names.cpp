#include "diagnostics/similar_names.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "catalogue/tag_name.h"

namespace {

// Each byte as the comparison sees it: letter case folded, then each group
// of confusable characters as its digit.
struct FoldTable {
  unsigned char Byte[256];
};

constexpr FoldTable make_fold_table() {
  FoldTable table = {};
  for (int c = 0; c < 256; ++c) table.Byte[c] = fold_letter(static_cast<unsigned char>(c));
  const char confusables[][2] = {{'o', '0'}, {'i', '1'}, {'l', '1'},
                                 {'s', '5'}, {'b', '8'}, {'z', '2'}};
  for (const auto& pair : confusables) {
    table.Byte[static_cast<unsigned char>(pair[0])] = static_cast<unsigned char>(pair[1]);
    table.Byte[static_cast<unsigned char>(pair[0] - 'a' + 'A')] =
        static_cast<unsigned char>(pair[1]);
  }
  return table;
}

constexpr FoldTable FOLD_SIMILAR = make_fold_table();

unsigned char fold_similar(unsigned char c) { return FOLD_SIMILAR.Byte[c]; }

typedef unsigned char (*Fold)(unsigned char);

bool same_folded(const unsigned char* a, const unsigned char* b, std::size_t length, Fold fold) {
  for (std::size_t i = 0; i < length; ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// The forms that `fold` gives are equal or one edit apart.
bool within_one_edit(const unsigned char* a, std::size_t a_length, const unsigned char* b,
                     std::size_t b_length, Fold fold) {
  if (a_length > b_length) return within_one_edit(b, b_length, a, a_length, fold);
  if (b_length - a_length > 1) return false;
  std::size_t same = 0;
  while (same < a_length && fold(a[same]) == fold(b[same])) ++same;
  if (same == a_length) return true;
  std::size_t a_rest = a_length == b_length ? same + 1 : same;
  return same_folded(a + a_rest, b + same + 1, a_length - a_rest, fold);
}

// The length of `name`, or SIMILAR_NAME_MAX + 1 for any longer name and for
// none.
std::int32_t bounded_length(const char* name) {
  if (name == nullptr) return SIMILAR_NAME_MAX + 1;
  std::int32_t length = 0;
  while (length <= SIMILAR_NAME_MAX && name[length] != '\0') ++length;
  return length;
}

// The hashes of a name's folded form and of each distinct form with one
// character deleted (a deletion inside a run of equal characters is
// made once, at the run's end). Polynomial hashes from prefix and suffix
// sums, so all of them cost two passes over the name.
struct Variants {
  std::uint32_t Hash[SIMILAR_NAME_MAX + 1];
  std::int32_t Count;
};

constexpr std::uint64_t HASH_BASE = 0x100000001B3ull;

// The odd base's inverse modulo 2^64 (Newton's iteration, each step doubling
// the bits that are right): a prefix's hash is taken back one character at
// a time, so no array of prefixes is needed.
constexpr std::uint64_t inverse(std::uint64_t odd) {
  std::uint64_t x = odd;
  for (int step = 0; step < 6; ++step) x *= 2 - odd * x;
  return x;
}
constexpr std::uint64_t HASH_BASE_INVERSE = inverse(HASH_BASE);
static_assert(HASH_BASE * HASH_BASE_INVERSE == 1);

// The high half of one multiplication: the index verifies every name it
// finds, so a collision costs a comparison, never a wrong answer.
std::uint32_t finish_hash(std::uint64_t sum, std::int32_t length) {
  std::uint64_t x =
      (sum + static_cast<std::uint64_t>(length) * 0x9E3779B97F4A7C15ull) * 0xD6E8FEB86659FD93ull;
  auto hash = static_cast<std::uint32_t>(x >> 32);
  return hash != 0 ? hash : 1;
}

void make_variants(const char* name, std::int32_t length, Variants& variants) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(name);
  std::uint64_t prefix = 0;
  for (std::int32_t i = 0; i < length; ++i) prefix = prefix * HASH_BASE + fold_similar(bytes[i]);
  variants.Hash[0] = finish_hash(prefix, length);
  variants.Count = 1;
  std::uint64_t suffix = 0;
  std::uint64_t power = 1;
  int after = -1;  // the folded character after position i; none at the end
  for (std::int32_t i = length - 1; i >= 0; --i) {
    unsigned char folded = fold_similar(bytes[i]);
    prefix = (prefix - folded) * HASH_BASE_INVERSE;  // now of the first i characters
    if (folded != after) {
      variants.Hash[variants.Count++] = finish_hash(prefix * power + suffix, length - 1);
    }
    after = folded;
    suffix += folded * power;
    power *= HASH_BASE;
  }
}

// A slot's name; the first variant of each name (its whole folded form) is
// stored as -1 - name.
std::int32_t slot_name(const SimilarNameSlot& slot) {
  return slot.Name < 0 ? -1 - slot.Name : slot.Name;
}

// FILTER_BITS_PER_SLOT bits a slot, one for each value of the hash's low
// bits (two more than pick the slot), set for each hash stored: a probe
// whose bit is clear skips the slots (most probes, as most candidates
// resemble nothing), and the bits fit in a fast cache where the slots may not.
std::uint32_t filter_bit(const SimilarNames& index, std::uint32_t hash) {
  return hash & (index.Mask * FILTER_BITS_PER_SLOT + FILTER_BITS_PER_SLOT - 1);
}

bool may_hold(const SimilarNames& index, std::uint32_t hash) {
  std::uint32_t bit = filter_bit(index, hash);
  return (index.Filter[bit / 64] >> (bit % 64) & 1) != 0;
}

void insert(SimilarNames& index, std::uint32_t hash, std::int32_t name) {
  std::uint32_t bit = filter_bit(index, hash);
  index.Filter[bit / 64] |= std::uint64_t{1} << (bit % 64);
  std::uint32_t at = hash & index.Mask;
  while (index.Slots[at].Hash != 0) at = (at + 1) & index.Mask;
  index.Slots[at] = {hash, name};
}

// The group of an earlier name equal to `name`, letter case aside; -1 when
// there is none.
std::int32_t earlier_group(const SimilarNames& index, const char* name, std::uint32_t hash) {
  for (std::uint32_t at = hash & index.Mask; index.Slots[at].Hash != 0;
       at = (at + 1) & index.Mask) {
    const SimilarNameSlot& slot = index.Slots[at];
    if (slot.Hash == hash && slot.Name < 0 && same_tag_name(index.Names[-1 - slot.Name], name)) {
      return -1 - slot.Name;
    }
  }
  return -1;
}

}  // namespace

// The index holds the confusable-folded forms and their deletions, so it
// finds every pair this rule accepts, and some it does not: each is checked.
bool similar_names(const char* a, const char* b) {
  if (same_tag_name(a, b)) return false;
  const auto* first = reinterpret_cast<const unsigned char*>(a);
  const auto* second = reinterpret_cast<const unsigned char*>(b);
  std::size_t first_length = std::strlen(a);
  std::size_t second_length = std::strlen(b);
  if (first_length == second_length && same_folded(first, second, first_length, fold_similar)) {
    return true;
  }
  return within_one_edit(first, first_length, second, second_length, fold_letter);
}

bool index_similar_names(SimilarNames& index, const char* const* names, std::int32_t count) {
  index = {};
  std::size_t variants = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    std::int32_t length = bounded_length(names[i]);
    if (length <= SIMILAR_NAME_MAX) variants += static_cast<std::size_t>(length) + 1;
  }
  // At most half the slots are taken, so probes stay short.
  std::size_t slots = 16;
  while (slots < 2 * variants) slots *= 2;
  std::size_t names_size = static_cast<std::size_t>(count > 0 ? count : 0);
  std::size_t per_name = sizeof(std::int32_t) + sizeof(std::uint32_t);
  // Eight bytes of slot and half a byte of filter per slot.
  std::size_t per_two_slots = 2 * sizeof(SimilarNameSlot) + FILTER_BITS_PER_SLOT / 4;
  if (slots / 2 > (SIZE_MAX - names_size * per_name) / per_two_slots) return false;
  auto* block = static_cast<SimilarNameSlot*>(
      std::calloc(1, slots / 2 * per_two_slots + names_size * per_name));
  if (block == nullptr) return false;
  index.Names = names;
  index.Count = count;
  index.Slots = block;
  index.Mask = static_cast<std::uint32_t>(slots - 1);
  index.Filter = reinterpret_cast<std::uint64_t*>(block + slots);
  index.Group = reinterpret_cast<std::int32_t*>(index.Filter + slots * FILTER_BITS_PER_SLOT / 64);
  index.Seen = reinterpret_cast<std::uint32_t*>(index.Group + names_size);
  index.ShortestLength = SIMILAR_NAME_MAX + 1;
  index.LongestLength = -1;
  Variants each;
  for (std::int32_t i = 0; i < count; ++i) {
    index.Group[i] = i;
    std::int32_t length = bounded_length(names[i]);
    if (length > SIMILAR_NAME_MAX) continue;
    make_variants(names[i], length, each);
    std::int32_t group = earlier_group(index, names[i], each.Hash[0]);
    if (group >= 0) {
      index.Group[i] = group;
      continue;
    }
    insert(index, each.Hash[0], -1 - i);
    for (std::int32_t v = 1; v < each.Count; ++v) insert(index, each.Hash[v], i);
    if (length < index.ShortestLength) index.ShortestLength = length;
    if (length > index.LongestLength) index.LongestLength = length;
  }
  return true;
}

void probe_similar_names(SimilarNames& index, const char* candidate, SimilarNameFound visit,
                         void* context) {
  std::int32_t length = bounded_length(candidate);
  if (index.Slots == nullptr || length > SIMILAR_NAME_MAX) return;
  if (length + 1 < index.ShortestLength || length > index.LongestLength + 1) return;
  if (++index.Probe == 0) {
    std::memset(index.Seen, 0, sizeof(std::uint32_t) * static_cast<std::size_t>(index.Count));
    index.Probe = 1;
  }
  Variants each;
  make_variants(candidate, length, each);
  for (std::int32_t v = 0; v < each.Count; ++v) {
    std::uint32_t hash = each.Hash[v];
    if (!may_hold(index, hash)) continue;
    for (std::uint32_t at = hash & index.Mask; index.Slots[at].Hash != 0;
         at = (at + 1) & index.Mask) {
      if (index.Slots[at].Hash != hash) continue;
      std::int32_t group = slot_name(index.Slots[at]);
      if (index.Seen[group] == index.Probe) continue;
      index.Seen[group] = index.Probe;
      const char* name = index.Names[group];
      if (same_tag_name(name, candidate)) {
        visit(context, group, true);
      } else if (similar_names(name, candidate)) {
        visit(context, group, false);
      }
    }
  }
}

void release_similar_names(SimilarNames& index) {
  std::free(index.Slots);
  index = {};
}
