// Texts compared and hashed the way the driver compares tag names: the
// letters A to Z taken as a to z, every other byte as it is. For names that
// look alike, a second folding also takes the characters people confuse on
// plant drawings as one. Every comparison of names in the diagnostics and
// the desk tool goes through here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "catalogue/tag_name.h"

// A byte with its letter case folded, as the binding folds it.
inline char fold_case(char c) {
  return static_cast<char>(fold_letter(static_cast<unsigned char>(c)));
}

// A byte with its letter case folded and each group of confusable
// characters taken as its digit: O as 0; I, l as 1; S as 5; B as 8; Z as 2.
char fold_confusable(char c);

// Equal, letter case aside.
bool same_folded(std::string_view a, std::string_view b);

// The text with its letter case folded.
std::string case_folded(std::string_view text);

// A hash that equal texts, letter case aside, share.
std::size_t folded_hash(std::string_view text);

struct FoldedHash {
  std::size_t operator()(std::string_view text) const { return folded_hash(text); }
};
struct FoldedEqual {
  bool operator()(std::string_view a, std::string_view b) const { return same_folded(a, b); }
};

// A map whose keys are equal letter case aside; the texts viewed must
// outlive it.
template <typename Value>
using FoldedMap = std::unordered_map<std::string_view, Value, FoldedHash, FoldedEqual>;

// True when `a` comes before `b` in the byte order of their folded texts.
bool folded_less(std::string_view a, std::string_view b);
