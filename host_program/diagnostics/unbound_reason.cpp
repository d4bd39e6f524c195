#include "diagnostics/unbound_reason.h"

#include <cstdlib>
#include <cstring>

#include "catalogue/tag_name.h"
#include "catalogue/tokenizer.h"

namespace {

// Where entries with the item's name stand, by what they mean for the item.
struct Sightings {
  MessageText other_ds;        // "2 (AI)", the name with other data sets
  MessageText usable;          // tables this kind of item searches
  MessageText unusable;        // tables it does not
  std::int32_t sighting = -1;  // the first entry in a table it does not search
};

void add_to(MessageText& list, const char* item) {
  append_text(list, list.Length == 0 ? "%s" : ", %s", item);
}

// What one entry with the item's name means for the item.
void look_at(const UnboundReasons& reasons, std::int32_t at, bool controller, std::int32_t ds,
             Sightings& found) {
  const TagSighting& sighting = reasons.Sightings[at];
  int section = static_cast<unsigned char>(sighting.Section);
  std::int32_t id = 0;
  visit_table(*reasons.Catalogue, section,
              [&](const auto& table) { id = table.Entries[sighting.Entry].Id; });
  if (id != ds) {
    append_text(found.other_ds, found.other_ds.Length == 0 ? "%d (%s)" : ", %d (%s)", id,
                init_section_name(section));
  } else if (!searched_by(section, controller)) {
    add_to(found.unusable, init_section_name(section));
    if (found.sighting < 0) found.sighting = at;
  } else {
    add_to(found.usable, init_section_name(section));
  }
}

// A text as the bytes from Begin up to End.
struct Span {
  const char* Begin;
  const char* End;
};

Span whole(const char* text) { return {text, text + std::strlen(text)}; }

// Without the blanks around it.
Span trimmed(Span span) {
  while (span.Begin < span.End && is_blank(*span.Begin)) ++span.Begin;
  while (span.End > span.Begin && is_blank(span.End[-1])) --span.End;
  return span;
}

// Equal letter case aside.
bool same_folded(Span a, Span b) {
  if (a.End - a.Begin != b.End - b.Begin) return false;
  for (; a.Begin < a.End; ++a.Begin, ++b.Begin) {
    if (fold_letter(static_cast<unsigned char>(*a.Begin)) !=
        fold_letter(static_cast<unsigned char>(*b.Begin))) {
      return false;
    }
  }
  return true;
}

// FNV-1a over the text with letters folded, then mixed so that the low bits
// that pick a slot depend on every byte.
std::uint32_t folded_hash(Span span) {
  std::uint32_t hash = 2166136261u;
  for (const char* p = span.Begin; p < span.End; ++p) {
    hash = (hash ^ fold_letter(static_cast<unsigned char>(*p))) * 16777619u;
  }
  hash ^= hash >> 16;
  hash *= 0x85EBCA6Bu;
  hash ^= hash >> 13;
  return hash;
}

// The bit of a text's length among a lookup's lengths.
struct LengthBit {
  std::size_t Byte;
  std::uint8_t Mask;
};

LengthBit length_bit(Span span) {
  std::size_t length = static_cast<std::size_t>(span.End - span.Begin);
  if (length > 255) length = 255;
  return {length / 8, static_cast<std::uint8_t>(1u << (length % 8))};
}

void add_length(std::uint8_t (&lengths)[32], Span span) {
  LengthBit bit = length_bit(span);
  lengths[bit.Byte] |= bit.Mask;
}

bool may_be_sought(const std::uint8_t (&lengths)[32], Span span) {
  LengthBit bit = length_bit(span);
  return (lengths[bit.Byte] & bit.Mask) != 0;
}

// The slot of the sought tag with the key, or the empty slot where it goes.
// A tag's key is its text, or in the trimmed slots its text without the
// blanks around it.
std::int32_t& slot_of(const UnboundReasons& reasons, std::int32_t* slots, bool by_trimmed,
                      Span key) {
  std::uint32_t at = folded_hash(key) & reasons.SlotMask;
  for (; slots[at] != 0; at = (at + 1) & reasons.SlotMask) {
    Span held = whole(reasons.Tags[slots[at] - 1].Tag);
    if (same_folded(by_trimmed ? trimmed(held) : held, key)) break;
  }
  return slots[at];
}

bool grow_sightings(UnboundReasons& reasons) {
  if (reasons.SightingCount < reasons.SightingRoom) return true;
  std::int32_t room = reasons.SightingRoom == 0 ? 64 : reasons.SightingRoom * 2;
  auto* grown = static_cast<TagSighting*>(
      std::realloc(reasons.Sightings, sizeof(TagSighting) * static_cast<std::size_t>(room)));
  if (grown == nullptr) return false;
  reasons.Sightings = grown;
  reasons.SightingRoom = room;
  return true;
}

// Every catalogue entry whose name is sought, in the order the binding
// searches; `first` receives where each table's sightings begin.
bool sight_entries(UnboundReasons& reasons, std::int32_t (&first)[TAG_TABLES + 1]) {
  bool held = true;
  for_each_kind(*reasons.Catalogue, [&](const auto& table, int kind) {
    first[kind] = reasons.SightingCount;
    reasons.CatalogueTags += table.Count;
    for (std::int32_t i = 0; i < table.Count && held; ++i) {
      Span name = whole(table.Entries[i].Name);
      if (!may_be_sought(reasons.NameLengths, name)) continue;
      std::int32_t slot = slot_of(reasons, reasons.ByName, false, name);
      if (slot == 0) continue;
      held = grow_sightings(reasons);
      if (!held) break;
      std::int32_t at = reasons.SightingCount++;
      reasons.Sightings[at] = {i, static_cast<std::int8_t>(kind), -1, -1, -1};
      SoughtTag& tag = reasons.Tags[slot - 1];
      if (tag.Sightings < 0) {
        tag.Sightings = at;
      } else {
        reasons.Sightings[tag.LastSighting].Next = at;
      }
      tag.LastSighting = at;
    }
  });
  first[TAG_TABLES] = reasons.SightingCount;
  return held;
}

// One pass over the tokens: the first token naming each sought tag, blanks
// aside, and for each sighted entry its name token and the header before it
// that an earlier record took as a field. Within a table the sightings and
// the name tokens both come in the entries' order.
void sight_tokens(UnboundReasons& reasons, const std::int32_t (&first)[TAG_TABLES + 1]) {
  const InitCheck& check = *reasons.Check;
  std::int32_t next[TAG_TABLES];
  for (int kind = 0; kind < TAG_TABLES; ++kind) next[kind] = first[kind];
  std::int32_t swallowed = -1;  // since the last header
  for (std::int32_t i = 0; i < check.TokenCount; ++i) {
    InitToken token = init_token_unlined(check, i);
    if (token.Role == ROLE_HEADER) {
      swallowed = -1;
      continue;
    }
    if (token.Role == ROLE_FIELD && token.Text[0] == '*') swallowed = i;
    if (token.Role == ROLE_NAME && token.Entry >= 0) {
      std::int32_t& at = next[token.Section];
      std::int32_t end = first[token.Section + 1];
      while (at < end && reasons.Sightings[at].Entry < token.Entry) ++at;
      if (at < end && reasons.Sightings[at].Entry == token.Entry) {
        reasons.Sightings[at].NameToken = i;
        reasons.Sightings[at].Swallowed = swallowed;
      }
    }
    Span key = trimmed(whole(token.Text));
    if (key.Begin == key.End || !may_be_sought(reasons.TrimmedLengths, key)) continue;
    std::int32_t slot = slot_of(reasons, reasons.ByTrimmed, true, key);
    if (slot != 0 && reasons.Tags[slot - 1].FirstToken < 0) reasons.Tags[slot - 1].FirstToken = i;
  }
}

// Where the text holds the name although the catalogue has no entry of it.
void explain_from_text(const InitCheck& check, std::int32_t at, MessageText& text) {
  if (at < 0) return;
  const InitToken token = init_token(check, at);
  char field[32];
  switch (token.Role) {
    case ROLE_NAME:
      if (token.Entry < 0) {
        append_text(text, "; its %s record at line %d was dropped: the table was full",
                    init_section_name(token.Section), token.Line);
      } else {
        append_text(text, "; the %s tag at line %d is ", init_section_name(token.Section),
                    token.Line);
        append_token(text, token.Text);
        append_text(text, ", whose blanks differ from the TAG's");
      }
      break;
    case ROLE_FIELD: {
      const InitToken name = init_token(check, token.Record);
      append_text(text, "; at line %d it is read as the %s of the %s record ", token.Line,
                  init_field_name(token.Section, token.Field, field, sizeof field),
                  init_section_name(token.Section));
      append_token(text, name.Text);
      append_text(text, " (line %d)", name.Line);
      break;
    }
    case ROLE_BEFORE_HEADER:
      append_text(text,
                  "; it stands at line %d, before the first section header, where tokens are "
                  "skipped",
                  token.Line);
      break;
    default:
      append_text(text, "; it stands at line %d, after the reading stopped", token.Line);
      if (check.StopToken >= 0) {
        append_text(text, " at line %d (an empty token)", init_token(check, check.StopToken).Line);
      }
      break;
  }
}

// When the entry's record follows a header that an earlier record of its
// section took as a field, the tags after that header landed in this table.
void explain_swallowed(const InitCheck& check, const TagSighting& sighting, MessageText& text) {
  if (sighting.NameToken < 0 || sighting.Swallowed < 0) return;
  const InitToken token = init_token(check, sighting.Swallowed);
  const InitToken name = init_token(check, token.Record);
  append_text(text, "; its record at line %d follows the header ",
              init_token(check, sighting.NameToken).Line);
  append_token(text, token.Text);
  append_text(text, " at line %d, which the %s record ", token.Line,
              init_section_name(name.Section));
  append_token(text, name.Text);
  append_text(text, " (line %d) took as a field", name.Line);
}

// "AO, DO, DCD and CALC": the tables a kind of item exchanges with.
void add_called(MessageText& text, bool controller) {
  int listed = 0;
  int called = 0;
  for (int kind = 0; kind < TAG_TABLES; ++kind) called += exchanged_by(kind, controller);
  for (int kind = 0; kind < TAG_TABLES; ++kind) {
    if (!exchanged_by(kind, controller)) continue;
    ++listed;
    const char* joint = listed == 1 ? "" : (listed == called ? " and " : ", ");
    append_text(text, "%s%s", joint, TAG_KINDS[kind].Name);
  }
}

}  // namespace

bool begin_unbound_reasons(UnboundReasons& reasons, const TagCatalogue& catalogue,
                           const InitCheck* check, std::int32_t most) {
  reasons = {};
  reasons.Catalogue = &catalogue;
  reasons.Check = check;
  reasons.Complete = true;
  if (most <= 0) return true;  // every item is bound: nothing to look up
  std::uint32_t slots = 2;
  while (slots < 2 * static_cast<std::uint32_t>(most)) slots *= 2;
  reasons.SlotMask = slots - 1;
  reasons.Tags =
      static_cast<SoughtTag*>(std::malloc(sizeof(SoughtTag) * static_cast<std::size_t>(most)));
  reasons.ByName = static_cast<std::int32_t*>(std::calloc(slots, sizeof(std::int32_t)));
  reasons.ByTrimmed = static_cast<std::int32_t*>(std::calloc(slots, sizeof(std::int32_t)));
  reasons.TagRoom = most;
  reasons.Complete =
      reasons.Tags != nullptr && reasons.ByName != nullptr && reasons.ByTrimmed != nullptr;
  return reasons.Complete;
}

void seek_unbound_tag(UnboundReasons& reasons, const char* tag) {
  if (!reasons.Complete || reasons.TagCount == reasons.TagRoom) return;
  std::int32_t& slot = slot_of(reasons, reasons.ByName, false, whole(tag));
  if (slot != 0) return;
  std::int32_t added = reasons.TagCount++;
  slot = added + 1;
  reasons.Tags[added] = {tag, -1, -1, -1, -1};
  add_length(reasons.NameLengths, whole(tag));
  Span key = trimmed(whole(tag));
  if (key.Begin == key.End) return;
  add_length(reasons.TrimmedLengths, key);
  std::int32_t& same = slot_of(reasons, reasons.ByTrimmed, true, key);
  if (same == 0) same = added + 1;
  reasons.Tags[added].Trimmed = same - 1;
}

void find_unbound_tags(UnboundReasons& reasons) {
  if (!reasons.Complete || reasons.TagCount == 0) return;
  std::int32_t first[TAG_TABLES + 1] = {};
  reasons.Complete = sight_entries(reasons, first);
  if (reasons.Complete && reasons.Check != nullptr) sight_tokens(reasons, first);
}

void release_unbound_reasons(UnboundReasons& reasons) {
  std::free(reasons.Tags);
  std::free(reasons.ByName);
  std::free(reasons.ByTrimmed);
  std::free(reasons.Sightings);
  reasons = {};
}

void unbound_reason(const UnboundReasons& reasons, bool controller, const char* tag,
                    std::int32_t ds, MessageText& text) {
  bool held = reasons.Complete && reasons.TagCount > 0;
  std::int32_t slot = held ? slot_of(reasons, reasons.ByName, false, whole(tag)) : 0;
  if (slot == 0) {
    append_text(text, "no reason: memory for working it out was not obtained");
    return;
  }
  const SoughtTag& sought = reasons.Tags[slot - 1];
  char other_ds[160];
  char usable[64];
  char unusable[64];
  Sightings found{message_text(other_ds, sizeof other_ds), message_text(usable, sizeof usable),
                  message_text(unusable, sizeof unusable)};
  for (std::int32_t at = sought.Sightings; at >= 0; at = reasons.Sightings[at].Next) {
    look_at(reasons, at, controller, ds, found);
  }
  const InitCheck* check = reasons.Check;

  if (found.usable.Length > 0) {
    append_token(text, tag);
    append_text(text, " data set %d is in %s, but the driver did not bind it", ds, usable);
  } else if (found.unusable.Length > 0) {
    append_token(text, tag);
    append_text(text, " data set %d is only in %s, which %s (they %s ", ds, unusable,
                controller ? "controllers do not read" : "process variables do not write",
                controller ? "read" : "write");
    add_called(text, controller);
    append_text(text, ")");
    if (check != nullptr) explain_swallowed(*check, reasons.Sightings[found.sighting], text);
  } else if (found.other_ds.Length > 0) {
    append_token(text, tag);
    append_text(text, " exists with other data sets only: %s", other_ds);
  } else {
    append_text(text, "no tag named ");
    append_token(text, tag);
    if (reasons.CatalogueTags == 0) append_text(text, ": the catalogue holds no tags");
    if (check != nullptr && sought.Trimmed >= 0) {
      explain_from_text(*check, reasons.Tags[sought.Trimmed].FirstToken, text);
    }
  }
}
