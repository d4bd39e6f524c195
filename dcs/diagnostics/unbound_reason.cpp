#include "diagnostics/unbound_reason.h"

#include <cstring>

#include "catalogue/tag_name.h"
#include "catalogue/tokenizer.h"

namespace {

// Where entries with the item's name stand, by what they mean for the item.
struct Sightings {
  MessageText other_ds;           // "2 (AI)", the name with other data sets
  MessageText usable;             // tables this kind of item searches
  MessageText unusable;           // tables it does not
  int section = NO_INIT_SECTION;  // the first unusable table, and its entry
  std::int32_t entry = -1;
};

void add_to(MessageText& list, const char* item) {
  append_text(list, list.Length == 0 ? "%s" : ", %s", item);
}

template <typename Entry>
void look_in(const TagTable<Entry>& table, int section, bool controller, const char* tag,
             std::int32_t ds, Sightings& found) {
  for (std::int32_t i = 0; i < table.Count; ++i) {
    if (!same_tag_name(tag, table.Entries[i].Name)) continue;
    if (table.Entries[i].Id != ds) {
      append_text(found.other_ds, found.other_ds.Length == 0 ? "%d (%s)" : ", %d (%s)",
                  table.Entries[i].Id, init_section_name(section));
    } else if (!searched_by(section, controller)) {
      add_to(found.unusable, init_section_name(section));
      if (found.section == NO_INIT_SECTION) {
        found.section = section;
        found.entry = i;
      }
    } else {
      add_to(found.usable, init_section_name(section));
    }
  }
}

// Equal once blanks around each are dropped, letter case aside.
bool same_trimmed(const char* token, const char* tag) {
  while (is_blank(*token)) ++token;
  while (is_blank(*tag)) ++tag;
  std::size_t token_length = std::strlen(token);
  std::size_t tag_length = std::strlen(tag);
  while (token_length > 0 && is_blank(token[token_length - 1])) --token_length;
  while (tag_length > 0 && is_blank(tag[tag_length - 1])) --tag_length;
  if (token_length != tag_length || token_length == 0) return false;
  for (std::size_t i = 0; i < token_length; ++i) {
    if (fold_letter(static_cast<unsigned char>(token[i])) !=
        fold_letter(static_cast<unsigned char>(tag[i]))) {
      return false;
    }
  }
  return true;
}

// The first token that names the tag, blanks and letter case aside, as the
// loader did not make it a usable entry: -1 when there is none.
std::int32_t find_in_text(const InitCheck& check, const char* tag) {
  for (std::int32_t i = 0; i < check.TokenCount; ++i) {
    if (check.Tokens[i].Role != ROLE_HEADER && same_trimmed(check.Tokens[i].Text, tag)) return i;
  }
  return -1;
}

// Where the text holds the name although the catalogue has no entry of it.
void explain_from_text(const InitCheck& check, const char* tag, MessageText& text) {
  std::int32_t at = find_in_text(check, tag);
  if (at < 0) return;
  const InitToken& token = check.Tokens[at];
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
      const InitToken& name = check.Tokens[token.Record];
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
        append_text(text, " at line %d (an empty token)", check.Tokens[check.StopToken].Line);
      }
      break;
  }
}

// When the entry's record follows a header that an earlier record of its
// section took as a field, the tags after that header landed in this table.
void explain_swallowed(const InitCheck& check, int section, std::int32_t entry, MessageText& text) {
  std::int32_t at = -1;
  for (std::int32_t i = 0; i < check.TokenCount && at < 0; ++i) {
    const InitToken& token = check.Tokens[i];
    if (token.Role == ROLE_NAME && token.Section == section && token.Entry == entry) at = i;
  }
  for (std::int32_t i = at - 1; i >= 0 && check.Tokens[i].Role != ROLE_HEADER; --i) {
    const InitToken& token = check.Tokens[i];
    if (token.Role != ROLE_FIELD || token.Text[0] != '*') continue;
    const InitToken& name = check.Tokens[token.Record];
    append_text(text, "; its record at line %d follows the header ", check.Tokens[at].Line);
    append_token(text, token.Text);
    append_text(text, " at line %d, which the %s record ", token.Line,
                init_section_name(name.Section));
    append_token(text, name.Text);
    append_text(text, " (line %d) took as a field", name.Line);
    return;
  }
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

void unbound_reason(const TagCatalogue& catalogue, const InitCheck* check, bool controller,
                    const char* tag, std::int32_t ds, MessageText& text) {
  char other_ds[160];
  char usable[64];
  char unusable[64];
  Sightings found{message_text(other_ds, sizeof other_ds), message_text(usable, sizeof usable),
                  message_text(unusable, sizeof unusable)};
  for_each_kind(catalogue, [&](const auto& table, int kind) {
    look_in(table, kind, controller, tag, ds, found);
  });

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
    if (check != nullptr) explain_swallowed(*check, found.section, found.entry, text);
  } else if (found.other_ds.Length > 0) {
    append_token(text, tag);
    append_text(text, " exists with other data sets only: %s", other_ds);
  } else {
    append_text(text, "no tag named ");
    append_token(text, tag);
    if (tag_count(catalogue) == 0) append_text(text, ": the catalogue holds no tags");
    if (check != nullptr) explain_from_text(*check, tag, text);
  }
}
