// Why an item matched no catalogue entry, in words. Given the check of the
// initialization string the catalogue was read from, the reason also says
// where in that string a name the item looks for stands, when the loader
// did not make it the entry the item needed.
//
// The reasons of many items are worked out together: the tags sought are
// gathered first, then one pass over the catalogue and one over the
// string's tokens find every place each tag stands, so K items cost
// O(catalogue + tokens + K) and not K passes over both.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/tag_catalogue.h"
#include "diagnostics/folded_text.h"
#include "diagnostics/init_check.h"

class UnboundReasons {
 public:
  // Finds where each of `tags` stands (the texts must outlive the lookups);
  // `check` may be null: the reasons then rest on the catalogue alone.
  UnboundReasons(const TagCatalogue& catalogue, const InitCheck* check,
                 const std::vector<std::string_view>& tags);

  // The reason of an item whose tag was among those sought.
  std::string reason(bool controller, std::string_view tag, std::int32_t ds) const;

 private:
  // A catalogue entry with a sought name.
  struct Sighting {
    std::int32_t entry;
    std::int8_t section;
    std::int32_t name_token = -1;  // its record's name token in the string, or -1
    std::int32_t swallowed = -1;   // the header before it that a record took as a field, or -1
  };
  // One tag sought, letter case aside.
  struct Sought {
    std::vector<std::int32_t> sightings;  // the entries with its name, in the binding's order
    std::int32_t trimmed = -1;            // the sought tag that stands for its trimmed text
    std::int32_t first_token = -1;        // on that one: the first token naming it, blanks aside
  };

  void sight_entries(std::int32_t (&first)[TAG_TABLES + 1]);
  void sight_tokens(const std::int32_t (&first)[TAG_TABLES + 1]);
  std::string text_reason(std::int32_t token) const;
  std::string swallowed_reason(const Sighting& sighting) const;

  const TagCatalogue& catalogue_;
  const InitCheck* check_;
  std::vector<Sought> sought_;
  FoldedMap<std::int32_t> by_name_;     // a sought tag by its text
  FoldedMap<std::int32_t> by_trimmed_;  // by its text without the blanks around it
  // The lengths of the sought texts, and of the trimmed ones (the last bit
  // for every longer one): a text of another length is not looked up.
  std::bitset<256> name_lengths_;
  std::bitset<256> trimmed_lengths_;
  std::vector<Sighting> sightings_;
  std::int32_t catalogue_tags_ = 0;
};
