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

#include <cstdint>

#include "catalogue/tag_catalogue.h"
#include "diagnostics/init_check.h"

// One tag sought, letter case aside; where it stands in the catalogue, and
// the first token of the string that names it, blanks aside.
struct SoughtTag {
  const char* Tag;         // the caller's text, which must outlive the lookups
  std::int32_t Sightings;  // the first catalogue entry with its name, or -1
  std::int32_t LastSighting;
  std::int32_t Trimmed;     // the sought tag that stands for its trimmed text
  std::int32_t FirstToken;  // on the one that stands: the first token naming it, or -1
};

// A catalogue entry with a sought name.
struct TagSighting {
  std::int32_t Entry;
  std::int8_t Section;
  std::int32_t Next;       // the next entry with the same name, or -1
  std::int32_t NameToken;  // its record's name token in the string, or -1
  std::int32_t Swallowed;  // the header before it that a record took as a field, or -1
};

struct UnboundReasons {
  const TagCatalogue* Catalogue;
  const InitCheck* Check;  // may be null: the reasons then rest on the catalogue alone
  SoughtTag* Tags;
  std::int32_t TagCount;
  std::int32_t TagRoom;
  std::int32_t* ByName;     // hash slots: a sought tag + 1, or 0
  std::int32_t* ByTrimmed;  // the same for the trimmed texts
  std::uint32_t SlotMask;
  // A bit for each length of the sought texts, and of the trimmed ones (the
  // last bit for every longer one): a text of another length is not looked up.
  std::uint8_t NameLengths[32];
  std::uint8_t TrimmedLengths[32];
  TagSighting* Sightings;
  std::int32_t SightingCount;
  std::int32_t SightingRoom;
  std::int32_t CatalogueTags;
  bool Complete;  // false when memory for the lookups was not obtained
};

// Room for up to `most` tags; false when memory ran out.
bool begin_unbound_reasons(UnboundReasons& reasons, const TagCatalogue& catalogue,
                           const InitCheck* check, std::int32_t most);
// Adds a tag whose reason will be asked for; the same tag twice is kept once.
void seek_unbound_tag(UnboundReasons& reasons, const char* tag);
// Finds where every sought tag stands: one pass over the catalogue, one over
// the tokens.
void find_unbound_tags(UnboundReasons& reasons);
void release_unbound_reasons(UnboundReasons& reasons);

// The reason of an item whose tag was sought.
void unbound_reason(const UnboundReasons& reasons, bool controller, const char* tag,
                    std::int32_t ds, MessageText& text);
