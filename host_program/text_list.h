// Lists written as text: "a, b, c".
#pragma once

#include <string>

inline void add_to_list(std::string& list, const std::string& item, const char* separator = ", ") {
  if (!list.empty()) list += separator;
  list += item;
}
