// Looking at a packed DCSData record from a test: members by value, and the
// record's bytes.
#pragma once

#include <cstddef>
#include <vector>

#include "record/dcs_data.h"

// A packed member as a value: the assertion macros bind references, which a
// possibly misaligned member must not get.
template <typename T>
T value(T member) {
  return member;
}

struct Span {
  std::size_t offset;
  std::size_t size;
};
#define MEMBER(name) \
  Span { offsetof(DCSData, name), sizeof(DCSData::name) }

inline std::vector<unsigned char> bytes_of(const DCSData* data) {
  const auto* raw = reinterpret_cast<const unsigned char*>(data);
  return {raw, raw + sizeof(DCSData)};
}

// Offsets at which `after` differs from `before` outside the `allowed` members.
inline std::vector<std::size_t> changed_outside(const std::vector<unsigned char>& before,
                                                const std::vector<unsigned char>& after,
                                                const std::vector<Span>& allowed = {}) {
  std::vector<std::size_t> changed;
  for (std::size_t at = 0; at < before.size(); ++at) {
    bool may_change = false;
    for (const Span& span : allowed) {
      may_change = may_change || (at >= span.offset && at < span.offset + span.size);
    }
    if (!may_change && before[at] != after[at]) changed.push_back(at);
  }
  return changed;
}
