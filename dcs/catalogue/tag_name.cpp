#include "catalogue/tag_name.h"

namespace {
unsigned char fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }
}  // namespace

bool same_tag_name(const char* tag, const char* name) {
  const auto* a = reinterpret_cast<const unsigned char*>(tag);
  const auto* b = reinterpret_cast<const unsigned char*>(name);
  for (; fold(*a) == fold(*b); ++a, ++b) {
    if (*a == '\0') return true;
  }
  return false;
}
