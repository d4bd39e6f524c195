// Names that look alike: one typing slip apart, or the same once the
// characters people confuse on plant drawings are taken as one. A set of
// names is indexed once; then each candidate name is probed for the indexed
// names it resembles, at a cost that grows with the candidate's length, not
// with the set.
#pragma once

#include <cstdint>

// True when the names differ, letter case aside, but are one edit apart
// (one character inserted, deleted or substituted, letter case aside), or
// equal once the characters people confuse are taken as one: O as 0; I, l
// as 1; S as 5; B as 8; Z as 2, in either case.
bool similar_names(const char* a, const char* b);

// Names longer than this, and null names, are neither indexed nor probed:
// they resemble nothing.
inline constexpr std::int32_t SIMILAR_NAME_MAX = 255;

// One folded name, or the folded name with one character deleted, of the
// indexed name `Name`. Hash 0 marks a free slot.
struct SimilarNameSlot {
  std::uint32_t Hash;
  std::int32_t Name;
};

// Bits of the probe filter per slot (a power of two, at least 4, so that the
// filter is whole 64-bit words from 16 slots on).
inline constexpr std::uint32_t FILTER_BITS_PER_SLOT = 4;

// The names, not copied: they must outlive the index. Names that are equal,
// letter case aside, form one group, known by its first name's position:
// Group[i] is that position for name i. Seen[g] marks the groups a probe
// has already met.
struct SimilarNames {
  const char* const* Names;
  std::int32_t Count;
  std::int32_t* Group;
  std::uint32_t* Seen;
  SimilarNameSlot* Slots;
  std::uint64_t* Filter;  // a bit per hash value, as filter_bit picks it
  std::uint32_t Mask;
  std::uint32_t Probe;
  std::int32_t ShortestLength;
  std::int32_t LongestLength;
};

// Indexes `count` names in one block from the host's heap. False when the
// block was not obtained: the index is then empty and owns nothing.
bool index_similar_names(SimilarNames& index, const char* const* names, std::int32_t count);

// Calls visit(context, group, same) once for each group whose name is
// similar to `candidate` (same false) or is the candidate, letter case
// aside (same true).
typedef void (*SimilarNameFound)(void* context, std::int32_t group, bool same);
void probe_similar_names(SimilarNames& index, const char* candidate, SimilarNameFound visit,
                         void* context);

void release_similar_names(SimilarNames& index);
