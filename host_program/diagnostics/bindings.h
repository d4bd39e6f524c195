// Every item's binding after DCSConfigure, in words: the table and index it
// is bound to, or the reason it has none and the tags whose names resemble
// its own. The run, check's and diff's cases and explain all describe a
// list's bindings with this one function.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/tag_catalogue.h"
#include "diagnostics/init_check.h"

// An item as its slots hold it after DCSConfigure.
struct ItemFacts {
  bool controller;
  std::string tag;
  std::int32_t ds;
  bool active;
  std::int32_t code;
  std::int32_t index;
};

// A catalogue tag whose name resembles an unbound item's tag.
struct SuggestionNote {
  std::string tag;
  const char* table;
  std::int32_t index;
  std::int32_t ds;
};

struct BindingDescription {
  const char* table;  // null: unbound
  // "TT101.PV ds 1 (inactive): code 1, AO[0]", or "...: unbound: " and the
  // reason with its suggestions; control characters as they are.
  std::string line;
  std::string reason;        // of an unbound item, from the reason on
  std::string reason_alone;  // the same without the suggestions' words
  std::vector<SuggestionNote> suggestions;
};

// The items' bindings against the catalogue they were bound to; `check`, of
// the string the catalogue's last load read, may be null.
std::vector<BindingDescription> describe_bindings(const TagCatalogue& catalogue,
                                                  const InitCheck* check,
                                                  const std::vector<ItemFacts>& items);
