#include "diagnostics/similar_names.h"

#include <algorithm>
#include <functional>
#include <string>
#include <utility>

#include "diagnostics/folded_text.h"

namespace {

// The forms that `fold` gives are equal or one edit apart.
template <typename Fold>
bool within_one_edit(std::string_view a, std::string_view b, Fold fold) {
  if (a.size() > b.size()) std::swap(a, b);
  if (b.size() - a.size() > 1) return false;
  auto same = [fold](char x, char y) { return fold(x) == fold(y); };
  std::size_t prefix = static_cast<std::size_t>(std::ranges::mismatch(a, b, same).in1 - a.begin());
  if (prefix == a.size()) return true;
  std::size_t a_rest = a.size() == b.size() ? prefix + 1 : prefix;
  return std::ranges::equal(a.substr(a_rest), b.substr(prefix + 1), same);
}

// The hashes of a name's confusable-folded form and of each distinct form
// with one character deleted (a deletion inside a run of equal characters is
// made once, at the run's end).
std::vector<std::size_t> form_hashes(std::string_view name) {
  std::string folded(name);
  std::ranges::transform(folded, folded.begin(), fold_confusable);
  std::hash<std::string_view> hash;
  std::vector<std::size_t> hashes = {hash(folded)};
  std::string deleted;
  for (std::size_t i = 0; i < folded.size(); ++i) {
    if (i + 1 < folded.size() && folded[i] == folded[i + 1]) continue;
    deleted.assign(folded, 0, i);
    deleted.append(folded, i + 1);
    hashes.push_back(hash(deleted));
  }
  return hashes;
}

}  // namespace

// The index holds the confusable-folded forms and their deletions, so it
// finds every pair this rule accepts, and some it does not: each is checked.
bool similar_names(std::string_view a, std::string_view b) {
  if (same_folded(a, b)) return false;
  if (a.size() == b.size() && std::ranges::equal(a, b, {}, fold_confusable, fold_confusable)) {
    return true;
  }
  return within_one_edit(a, b, fold_case);
}

SimilarNames::SimilarNames(std::vector<std::string_view> names)
    : names_(std::move(names)), groups_(names_.size()), met_(names_.size()) {
  FoldedMap<std::int32_t> first_of;
  std::vector<std::pair<std::size_t, std::int32_t>> forms;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    auto position = static_cast<std::int32_t>(i);
    std::string_view name = names_[i];
    groups_[i] = position;
    if (name.size() > SIMILAR_NAME_MAX) continue;
    auto [first, added] = first_of.emplace(name, position);
    if (!added) {
      groups_[i] = first->second;
      continue;
    }
    for (std::size_t hash : form_hashes(name)) forms.emplace_back(hash, position);
    shortest_ = std::min(shortest_, name.size());
    longest_ = std::max(longest_, name.size());
  }
  // Eight bits or more a form.
  std::size_t bits = 64;
  while (bits < 8 * forms.size()) bits *= 2;
  may_hold_.resize(bits);
  filter_mask_ = bits - 1;
  forms_.reserve(forms.size());
  for (auto [hash, group] : forms) {
    forms_.emplace(hash, group);
    may_hold_[hash & filter_mask_] = true;
  }
}

std::vector<SimilarNames::Found> SimilarNames::probe(std::string_view candidate) {
  std::vector<Found> found;
  // One edit changes the length by one at most.
  if (candidate.size() > SIMILAR_NAME_MAX || candidate.size() + 1 < shortest_ ||
      candidate.size() > longest_ + 1) {
    return found;
  }
  if (++probes_ == 0) {
    std::ranges::fill(met_, 0);
    probes_ = 1;
  }
  for (std::size_t hash : form_hashes(candidate)) {
    if (!may_hold_[hash & filter_mask_]) continue;
    auto [first, last] = forms_.equal_range(hash);
    for (auto at = first; at != last; ++at) {
      std::int32_t group = at->second;
      std::uint32_t& met = met_[static_cast<std::size_t>(group)];
      if (met == probes_) continue;
      met = probes_;
      std::string_view name = names_[static_cast<std::size_t>(group)];
      if (same_folded(name, candidate)) {
        found.push_back({group, true});
      } else if (similar_names(name, candidate)) {
        found.push_back({group, false});
      }
    }
  }
  return found;
}
