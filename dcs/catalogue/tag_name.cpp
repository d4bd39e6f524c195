#include "catalogue/tag_name.h"

bool same_tag_name(const char* tag, const char* name) {
  const auto* a = reinterpret_cast<const unsigned char*>(tag);
  const auto* b = reinterpret_cast<const unsigned char*>(name);
  for (; fold_letter(*a) == fold_letter(*b); ++a, ++b) {
    if (*a == '\0') return true;
  }
  return false;
}
