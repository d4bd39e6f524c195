#include "diagnostics/folded_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr std::array<char, 256> make_confusable_folding() {
  std::array<char, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[static_cast<std::size_t>(c)] =
        static_cast<char>(fold_letter(static_cast<unsigned char>(c)));
  }
  constexpr std::array<std::array<char, 2>, 6> confusables = {
      {{'o', '0'}, {'i', '1'}, {'l', '1'}, {'s', '5'}, {'b', '8'}, {'z', '2'}}};
  for (const auto& [letter, digit] : confusables) {
    table[static_cast<unsigned char>(letter)] = digit;
    table[static_cast<unsigned char>(letter - 'a' + 'A')] = digit;
  }
  return table;
}

constexpr std::array<char, 256> CONFUSABLE_FOLDING = make_confusable_folding();

}  // namespace

char fold_confusable(char c) { return CONFUSABLE_FOLDING[static_cast<unsigned char>(c)]; }

bool same_folded(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, {}, fold_case, fold_case);
}

std::string case_folded(std::string_view text) {
  std::string folded(text);
  std::ranges::transform(folded, folded.begin(), fold_case);
  return folded;
}

// FNV-1a over the folded bytes.
std::size_t folded_hash(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(fold_case(c))) * 1099511628211ull;
  return static_cast<std::size_t>(hash);
}

bool folded_less(std::string_view a, std::string_view b) {
  return std::ranges::lexicographical_compare(
      a, b, {}, [](char c) { return static_cast<unsigned char>(fold_case(c)); },
      [](char c) { return static_cast<unsigned char>(fold_case(c)); });
}
