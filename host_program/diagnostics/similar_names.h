// Names that look alike: one typing slip apart, or the same once the
// characters people confuse on plant drawings are taken as one. A set of
// names is indexed once; then each candidate name is probed for the indexed
// names it resembles, at a cost that grows with the candidate's length, not
// with the set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

// True when the names differ, letter case aside, but are one edit apart
// (one character inserted, deleted or substituted, letter case aside), or
// equal once the characters people confuse are taken as one: O as 0; I, l
// as 1; S as 5; B as 8; Z as 2, in either case.
bool similar_names(std::string_view a, std::string_view b);

// Names longer than this are neither indexed nor probed: they resemble
// nothing.
inline constexpr std::size_t SIMILAR_NAME_MAX = 255;

// An index of names, not copied: they must outlive it. Names that are equal,
// letter case aside, form one group, known by its first name's position.
class SimilarNames {
 public:
  explicit SimilarNames(std::vector<std::string_view> names);

  // The group of name `position`: the position of the first name equal to
  // it, letter case aside.
  std::int32_t group(std::int32_t position) const {
    return groups_[static_cast<std::size_t>(position)];
  }

  // The groups whose name is similar to `candidate` (same false) or is the
  // candidate, letter case aside (same true), each once.
  struct Found {
    std::int32_t group;
    bool same;
  };
  std::vector<Found> probe(std::string_view candidate);

 private:
  std::vector<std::string_view> names_;
  std::vector<std::int32_t> groups_;
  // The hash of each group's folded name, and of each of its forms with one
  // character deleted, to the groups with that form.
  std::unordered_multimap<std::size_t, std::int32_t> forms_;
  // A bit for each value of a hash's low bits, set for each form held: a
  // form whose bit is clear is not looked up (most are not, as most
  // candidates resemble nothing), and the bits stay in a fast cache where
  // the forms may not.
  std::vector<bool> may_hold_;
  std::size_t filter_mask_ = 0;
  // The probe that last met each group, so that a probe reports it once.
  std::vector<std::uint32_t> met_;
  std::uint32_t probes_ = 0;
  std::size_t shortest_ = SIMILAR_NAME_MAX + 1;
  std::size_t longest_ = 0;
};
