#include "diagnostics/init_check.h"

#include <cstdlib>
#include <cstring>

#include "catalogue/numbers.h"
#include "catalogue/tag_name.h"
#include "catalogue/tokenizer.h"

namespace {

// No warning, among the results of the number checks.
constexpr std::uint8_t NO_WARNING = 0xff;

// Duplicates listed in one warning.
constexpr std::int32_t SHOWN_DUPLICATES = 4;

bool is_hex_digit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Why a token that is no header looks like one.
enum HeaderLook { NOT_LIKE_A_HEADER, HEADER_CASE, HEADER_CR, HEADER_BLANKS, UNKNOWN_HEADER };

// Compares the token with each header, blanks around it and letter case aside.
HeaderLook header_look(const char* token, int* section) {
  const char* first = token;
  while (is_blank(*first)) ++first;
  std::size_t length = std::strlen(first);
  while (length > 0 && is_blank(first[length - 1])) --length;
  if (length < 3 || first[0] != '*' || first[length - 1] != '*') return NOT_LIKE_A_HEADER;
  *section = NO_INIT_SECTION;
  for (int s = 0; s < INIT_SECTIONS; ++s) {
    const char* header = TAG_KINDS[s].Header;
    if (std::strlen(header) != length) continue;
    bool same = true;
    for (std::size_t i = 0; i < length && same; ++i) {
      same = fold_letter(static_cast<unsigned char>(first[i])) ==
             fold_letter(static_cast<unsigned char>(header[i]));
    }
    if (same) *section = s;
  }
  if (*section == NO_INIT_SECTION) return UNKNOWN_HEADER;
  bool trimmed = first != token || first[length] != '\0';
  if (!trimmed) return HEADER_CASE;
  // A carriage return at the end, and nothing else trimmed: CRLF line ends.
  if (first == token && first[length] == '\r' && first[length + 1] == '\0') return HEADER_CR;
  return HEADER_BLANKS;
}

bool grow_tokens(InitCheck& check) {
  if (check.TokenCount < check.TokenRoom) return true;
  if (check.TokenRoom > INT32_MAX / 2) return false;
  std::int32_t room = check.TokenRoom == 0 ? 256 : check.TokenRoom * 2;
  auto* grown = static_cast<InitToken*>(
      std::realloc(check.Tokens, sizeof(InitToken) * static_cast<std::size_t>(room)));
  if (grown == nullptr) return false;
  check.Tokens = grown;
  check.TokenRoom = room;
  return true;
}

// Line numbers, counted forward as the tokens advance.
struct LineCounter {
  const char* text;
  std::int32_t offset = 0;
  std::int32_t line = 1;
  std::int32_t at(std::int32_t to) {
    for (; offset < to; ++offset) {
      if (text[offset] == '\n') ++line;
    }
    return line;
  }
};

bool add_token(InitCheck& check, LineCounter& lines, const char* token, std::uint8_t role,
               int section) {
  if (!grow_tokens(check)) return false;
  InitToken& added = check.Tokens[check.TokenCount++];
  added = {};
  added.Text = token;
  added.Line = lines.at(static_cast<std::int32_t>(token - check.Cut));
  added.Record = -1;
  added.Entry = -1;
  added.Section = static_cast<std::int8_t>(section);
  added.Role = role;
  return true;
}

// The walk of the loader: headers switch the section, a record is a fixed
// number of tokens of which only the first may be a header or end the text.
bool walk(InitCheck& check) {
  LineCounter lines{check.Original};
  char* cursor = check.Cut;
  int section = NO_INIT_SECTION;
  for (;;) {
    char* token = next_token(&cursor);
    if (*token == '\0') {
      if (*cursor != '\0') {
        check.Stop = STOP_EMPTY_TOKEN;
        if (!add_token(check, lines, token, ROLE_UNREAD, section)) return false;
        check.StopToken = check.TokenCount - 1;
      }
      break;
    }
    int header = section_of(token);
    if (header != NO_INIT_SECTION) {
      section = header;
      if (!add_token(check, lines, token, ROLE_HEADER, section)) return false;
      continue;
    }
    if (section == NO_INIT_SECTION) {
      if (!add_token(check, lines, token, ROLE_BEFORE_HEADER, section)) return false;
      continue;
    }
    std::int32_t name = check.TokenCount;
    if (!add_token(check, lines, token, ROLE_NAME, section)) return false;
    check.Tokens[name].Record = name;
    check.Tokens[name].Entry = check.Records[section] < MAXTAGS ? check.Records[section] : -1;
    ++check.Records[section];
    for (int field = 1; field < TAG_KINDS[section].RecordTokens; ++field) {
      bool past_end = *cursor == '\0';
      token = next_token(&cursor);
      if (!add_token(check, lines, token, ROLE_FIELD, section)) {
        // A record is kept whole or not at all: every reader of a name
        // token takes its fields after it.
        check.TokenCount = name;
        --check.Records[section];
        return false;
      }
      InitToken& added = check.Tokens[check.TokenCount - 1];
      added.Record = name;
      added.Field = static_cast<std::uint8_t>(field);
      added.PastEnd = past_end;
    }
  }
  // What lies after an early stop, for the reasons of unbound items.
  while (*cursor != '\0') {
    char* token = next_token(&cursor);
    if (*token != '\0' && !add_token(check, lines, token, ROLE_UNREAD, section)) return false;
  }
  return true;
}

void count_crlf(InitCheck& check) {
  std::int32_t line = 1;
  for (std::int32_t i = 0; i < check.Length; ++i) {
    if (check.Original[i] != '\n') continue;
    if (i > 0 && check.Original[i - 1] == '\r') {
      if (check.CrlfLines++ == 0) check.FirstCrlfLine = line;
    }
    ++line;
  }
}

// The driver's own loader on a third copy, as DCSLoad would run it.
bool load(InitCheck& check) {
  auto* copy = static_cast<char*>(std::calloc(static_cast<std::size_t>(check.Length) + 1, 1));
  if (copy == nullptr) return false;
  std::memcpy(copy, check.Original, static_cast<std::size_t>(check.Length));
  if (!append_tags_checked(check.Catalogue, copy)) check.Stop = STOP_OUT_OF_MEMORY;
  std::free(copy);
  return true;
}

bool only_blanks(const char* text) {
  while (is_blank(*text)) ++text;
  return *text == '\0';
}

// A data set written with a leading zero, or 0x, is not the decimal number
// a reader sees. A single digit after zeros reads the same in octal.
std::uint8_t id_base_warning(const char* token) {
  const char* p = token;
  while (is_blank(*p)) ++p;
  if (*p == '+' || *p == '-') ++p;
  if (p[0] != '0') return NO_WARNING;
  if ((p[1] == 'x' || p[1] == 'X') && is_hex_digit(p[2])) {
    return WARN_HEX;
  }
  while (*p == '0') ++p;
  int digits = 0;
  bool above_seven = false;
  for (; *p >= '0' && *p <= '9'; ++p, ++digits) above_seven |= *p > '7';
  if (digits > 1 || above_seven) return WARN_OCTAL;
  return NO_WARNING;
}

// The number warning of one field, if any.
std::uint8_t number_warning(const InitToken& token) {
  if (token.Field < ID_TOKEN) return NO_WARNING;
  const char* end = nullptr;
  if (token.Field == ID_TOKEN) {
    parse_id(token.Text, &end);
  } else {
    parse_real(token.Text, &end);
  }
  if (end == token.Text) return WARN_NOT_A_NUMBER;
  if (!only_blanks(end)) return WARN_PARTLY_A_NUMBER;
  return token.Field == ID_TOKEN ? id_base_warning(token.Text) : NO_WARNING;
}

struct Emitter {
  const InitCheck& check;
  InitWarningSink sink;
  void* context;
  void emit(std::uint8_t kind, std::int32_t line, std::int32_t token = -1,
            std::int32_t section = NO_INIT_SECTION, std::int32_t count = 0,
            const std::int32_t* group = nullptr) const {
    InitWarning warning{kind, line, token, section, count, group};
    sink(context, check, warning);
  }
};

void whole_string_warnings(const Emitter& out) {
  const InitCheck& check = out.check;
  if (!check.Complete) out.emit(WARN_CHECK_INCOMPLETE, 0);
  if (check.Length <= EMPTY_INIT_LENGTH) {
    out.emit(WARN_TOO_SHORT, 0, -1, NO_INIT_SECTION, check.Length);
    return;
  }
  if (tag_count(check.Catalogue) == 0) out.emit(WARN_NO_TAGS, 0);
  if (check.TextLength < check.Length) {
    out.emit(WARN_ZERO_BYTE, line_at(check, check.TextLength), -1, NO_INIT_SECTION,
             check.Length - check.TextLength);
  }
  if (check.Stop == STOP_EMPTY_TOKEN) {
    out.emit(WARN_STOPPED, check.Tokens[check.StopToken].Line, check.StopToken);
  }
  if (check.Stop == STOP_OUT_OF_MEMORY) out.emit(WARN_OUT_OF_MEMORY, 0);
  for (int section = 0; section < INIT_SECTIONS; ++section) {
    if (check.Records[section] > MAXTAGS) {
      out.emit(WARN_TABLE_FULL, 0, -1, section, check.Records[section] - MAXTAGS);
    }
  }
  if (check.CrlfLines > 0) out.emit(WARN_CRLF, check.FirstCrlfLine, -1, -1, check.CrlfLines);
}

void token_warnings(const Emitter& out) {
  const InitCheck& check = out.check;
  for (std::int32_t i = 0; i < check.TokenCount; ++i) {
    const InitToken& token = check.Tokens[i];
    int section = NO_INIT_SECTION;
    HeaderLook look = header_look(token.Text, &section);
    switch (token.Role) {
      case ROLE_BEFORE_HEADER:
        if (look != NOT_LIKE_A_HEADER) out.emit(WARN_NOT_A_HEADER, token.Line, i, section);
        break;
      case ROLE_NAME: {
        if (look != NOT_LIKE_A_HEADER) out.emit(WARN_NOT_A_HEADER, token.Line, i, section);
        std::size_t length = std::strlen(token.Text);
        if (look == NOT_LIKE_A_HEADER && length > 0 &&
            (is_blank(token.Text[0]) || is_blank(token.Text[length - 1]))) {
          out.emit(WARN_NAME_BLANKS, token.Line, i, token.Section);
        }
        break;
      }
      case ROLE_FIELD: {
        if (token.PastEnd) {
          // One warning for the record, at its first missing field.
          if (!check.Tokens[i - 1].PastEnd || check.Tokens[i - 1].Role != ROLE_FIELD) {
            out.emit(WARN_CUT_SHORT, check.Tokens[token.Record].Line, i, token.Section,
                     TAG_KINDS[token.Section].RecordTokens - token.Field);
          }
          break;
        }
        if (section_of(token.Text) != NO_INIT_SECTION || look != NOT_LIKE_A_HEADER) {
          out.emit(WARN_SWALLOWED_HEADER, token.Line, i, token.Section);
          break;
        }
        std::uint8_t number = number_warning(token);
        if (number != NO_WARNING) out.emit(number, token.Line, i, token.Section);
        break;
      }
      default:
        break;
    }
  }
}

// An entry's key for finding duplicates: its name (letter case aside) and
// data set, then its place in the order the binding searches.
struct EntryKey {
  const char* Name;
  std::int32_t Id;
  std::int32_t Section;
  std::int32_t Entry;
  std::int32_t Token;
};

int compare_names(const char* p, const char* q) {
  for (;; ++p, ++q) {
    unsigned char c = fold_letter(static_cast<unsigned char>(*p));
    unsigned char d = fold_letter(static_cast<unsigned char>(*q));
    if (c != d) return c < d ? -1 : 1;
    if (c == '\0') return 0;
  }
}

bool key_before(const EntryKey& x, const EntryKey& y) {
  if (int names = compare_names(x.Name, y.Name)) return names < 0;
  if (x.Id != y.Id) return x.Id < y.Id;
  if (x.Section != y.Section) return x.Section < y.Section;
  return x.Entry < y.Entry;
}

// Heap sort in place: no allocation, and nothing of the C runtime's.
void sift_down(EntryKey* keys, std::size_t at, std::size_t n) {
  for (std::size_t child = 2 * at + 1; child < n; at = child, child = 2 * at + 1) {
    if (child + 1 < n && key_before(keys[child], keys[child + 1])) ++child;
    if (!key_before(keys[at], keys[child])) return;
    EntryKey moved = keys[at];
    keys[at] = keys[child];
    keys[child] = moved;
  }
}

void sort_keys(EntryKey* keys, std::size_t n) {
  for (std::size_t at = n / 2; at-- > 0;) sift_down(keys, at, n);
  for (std::size_t last = n; last-- > 1;) {
    EntryKey moved = keys[0];
    keys[0] = keys[last];
    keys[last] = moved;
    sift_down(keys, 0, last);
  }
}

void duplicate_warnings(const Emitter& out) {
  const InitCheck& check = out.check;
  std::size_t entries = 0;
  for (std::int32_t i = 0; i < check.TokenCount; ++i) {
    entries += check.Tokens[i].Role == ROLE_NAME && check.Tokens[i].Entry >= 0;
  }
  if (entries < 2) return;
  auto* keys = static_cast<EntryKey*>(std::malloc(sizeof(EntryKey) * entries));
  auto* group = static_cast<std::int32_t*>(std::malloc(sizeof(std::int32_t) * entries));
  if (keys == nullptr || group == nullptr) {
    std::free(keys);
    std::free(group);
    out.emit(WARN_CHECK_INCOMPLETE, 0);
    return;
  }
  std::size_t n = 0;
  for (std::int32_t i = 0; i < check.TokenCount; ++i) {
    const InitToken& token = check.Tokens[i];
    if (token.Role != ROLE_NAME || token.Entry < 0) continue;
    keys[n++] = {token.Text, parse_id(check.Tokens[i + ID_TOKEN].Text), token.Section, token.Entry,
                 i};
  }
  sort_keys(keys, n);
  for (std::size_t first = 0, last = 0; first < n; first = last) {
    int for_controllers = 0;
    int for_points = 0;
    std::int32_t earliest = keys[first].Token;
    for (last = first; last < n && compare_names(keys[first].Name, keys[last].Name) == 0 &&
                       keys[first].Id == keys[last].Id;
         ++last) {
      for_controllers += searched_by(keys[last].Section, true);
      for_points += searched_by(keys[last].Section, false);
      group[last - first] = keys[last].Token;
      if (keys[last].Token < earliest) earliest = keys[last].Token;
    }
    if (for_controllers > 1 || for_points > 1) {
      out.emit(WARN_DUPLICATE, check.Tokens[earliest].Line, earliest, NO_INIT_SECTION,
               static_cast<std::int32_t>(last - first), group);
    }
  }
  std::free(keys);
  std::free(group);
}

void append_record(MessageText& text, const InitCheck& check, const InitToken& token) {
  const InitToken& name = check.Tokens[token.Record];
  append_text(text, "the %s record ", TAG_KINDS[name.Section].Name);
  append_token(text, name.Text);
  if (name.Line != token.Line) append_text(text, " (line %d)", name.Line);
}

void append_entry(MessageText& text, const InitCheck& check, std::int32_t name) {
  const InitToken& token = check.Tokens[name];
  append_text(text, "%s[%d] (line %d)", TAG_KINDS[token.Section].Name, token.Entry, token.Line);
}

void append_header_reason(MessageText& text, HeaderLook look) {
  switch (look) {
    case HEADER_CASE:
      append_text(text, "headers match in exact letter case");
      break;
    case HEADER_CR:
      append_text(text, "it ends in a carriage return (CRLF line ends)");
      break;
    case HEADER_BLANKS:
      append_text(text, "blanks stand beside it in its token");
      break;
    default:
      append_text(text, "no section has this header");
      break;
  }
}

}  // namespace

const char* init_section_name(int section) { return TAG_KINDS[section].Name; }

const char* init_field_name(int section, int field, char* buffer, std::size_t size) {
  static const char* const RANGED[] = {"name", "skipped token", "data set", "Low", "High"};
  if (field <= ID_TOKEN || section != KIND_DCD) return RANGED[field];
  MessageText name = message_text(buffer, size);
  append_text(name, "state value %d", field - ID_TOKEN - 1);
  return buffer;
}

bool check_init_string(InitCheck& check, const char* text, std::int32_t length) {
  check = {};
  check.StopToken = -1;
  check.Length = length > 0 ? length : 0;
  check.Complete = true;
  std::size_t size = static_cast<std::size_t>(check.Length) + 1;
  check.Original = static_cast<char*>(std::calloc(size, 1));
  check.Cut = static_cast<char*>(std::calloc(size, 1));
  if (check.Original == nullptr || check.Cut == nullptr) {
    check.Complete = false;
    return false;
  }
  std::memcpy(check.Original, text, size - 1);
  std::memcpy(check.Cut, text, size - 1);
  check.TextLength = static_cast<std::int32_t>(std::strlen(check.Original));
  count_crlf(check);
  // The driver reads nothing from a string this short.
  if (check.Length <= EMPTY_INIT_LENGTH) return true;
  check.Complete = walk(check) && load(check);
  return check.Complete;
}

void release_init_check(InitCheck& check) {
  std::free(check.Original);
  std::free(check.Cut);
  std::free(check.Tokens);
  release_catalogue(check.Catalogue);
  check = {};
}

std::int32_t line_at(const InitCheck& check, std::int32_t offset) {
  std::int32_t line = 1;
  for (std::int32_t i = 0; i < offset && i < check.Length; ++i) line += check.Original[i] == '\n';
  return line;
}

void for_each_init_warning(const InitCheck& check, InitWarningSink sink, void* context) {
  Emitter out{check, sink, context};
  whole_string_warnings(out);
  token_warnings(out);
  duplicate_warnings(out);
}

namespace {

// The texts of the warnings, one function for each kind. Each writes the
// warning's text after its line number.
typedef void (*WarningText)(const InitCheck& check, const InitWarning& warning, MessageText& text);

const InitToken& token_of(const InitCheck& check, const InitWarning& warning) {
  return check.Tokens[warning.Token];
}

void too_short_text(const InitCheck&, const InitWarning& warning, MessageText& text) {
  append_text(text,
              "the string holds %d bytes; one of %d bytes or less (at most the six headers, "
              "one a line) is taken to hold no tags, so the driver shows its load warning "
              "and loads nothing",
              warning.Count, EMPTY_INIT_LENGTH);
}

// "*AI*, *AO*, *DI*, *DO*, *DCD* and *CALC*".
void append_headers(MessageText& text) {
  for (int kind = 0; kind < TAG_TABLES; ++kind) {
    const char* joint = kind == 0 ? "" : (kind + 1 == TAG_TABLES ? " and " : ", ");
    append_text(text, "%s%s", joint, TAG_KINDS[kind].Header);
  }
}

void no_tags_text(const InitCheck& check, const InitWarning&, MessageText& text) {
  bool any_header = false;
  for (std::int32_t i = 0; i < check.TokenCount && !any_header; ++i) {
    any_header = check.Tokens[i].Role == ROLE_HEADER;
  }
  append_text(text, "no tag is read: ");
  if (any_header) {
    append_text(text, "no record follows a header before the reading ends");
    return;
  }
  append_text(text, "no section header is recognised (");
  append_headers(text);
  append_text(text, ", in capitals, each a token of its own)");
}

void zero_byte_text(const InitCheck&, const InitWarning& warning, MessageText& text) {
  append_text(text,
              "a zero byte ends the text as the driver reads it; the %d bytes from it "
              "on are ignored",
              warning.Count);
}

void stopped_text(const InitCheck& check, const InitWarning& warning, MessageText& text) {
  std::int32_t last_line = line_at(check, check.Length);
  append_text(text,
              "an empty token (two delimiters with only blanks between them) where a record "
              "would begin ends the reading; the rest of the text");
  if (last_line > warning.Line) append_text(text, ", up to line %d,", last_line);
  append_text(text, " is ignored");
}

void out_of_memory_text(const InitCheck&, const InitWarning&, MessageText& text) {
  append_text(text,
              "memory ran out while the tags were read; the tables keep what was read "
              "before");
}

void table_full_text(const InitCheck&, const InitWarning& warning, MessageText& text) {
  append_text(text,
              "the %s table is full at %d entries: %d further records are read and "
              "dropped",
              TAG_KINDS[warning.Section].Name, MAXTAGS, warning.Count);
}

void crlf_text(const InitCheck&, const InitWarning& warning, MessageText& text) {
  append_text(text,
              "the line ends in a carriage return and a line feed (CRLF, %d line%s): the "
              "driver keeps the carriage return in the last token of each line, so a header "
              "alone on its line is not recognised",
              warning.Count, warning.Count == 1 ? "" : "s");
}

void not_a_header_text(const InitCheck& check, const InitWarning& warning, MessageText& text) {
  const InitToken& token = token_of(check, warning);
  int section = NO_INIT_SECTION;
  HeaderLook look = header_look(token.Text, &section);
  append_token(text, token.Text);
  append_text(text, " is not ");
  if (section != NO_INIT_SECTION) {
    append_text(text, "the header %s: ", TAG_KINDS[section].Header);
  } else {
    append_text(text, "a header: ");
  }
  append_header_reason(text, look);
  if (token.Role == ROLE_BEFORE_HEADER) {
    append_text(text, "; it is skipped, as every token before the first header");
  } else {
    append_text(text,
                "; it is read as the name of a record in the %s section, and the %d "
                "tokens after it as that record's fields",
                TAG_KINDS[token.Section].Name, TAG_KINDS[token.Section].RecordTokens - 1);
  }
}

void swallowed_header_text(const InitCheck& check, const InitWarning& warning, MessageText& text) {
  const InitToken& token = token_of(check, warning);
  char field[32];
  append_record(text, check, token);
  append_text(text, " has too few fields: it takes ");
  append_token(text, token.Text);
  append_text(text,
              " as its %s; the section stays %s, and the tokens after it are read as "
              "%s fields and records",
              init_field_name(token.Section, token.Field, field, sizeof field),
              TAG_KINDS[token.Section].Name, TAG_KINDS[token.Section].Name);
}

void name_blanks_text(const InitCheck& check, const InitWarning& warning, MessageText& text) {
  const InitToken& token = token_of(check, warning);
  std::size_t length = std::strlen(token.Text);
  bool leading = is_blank(token.Text[0]);
  bool trailing = is_blank(token.Text[length - 1]);
  append_text(text, "the %s tag name ", TAG_KINDS[token.Section].Name);
  append_token(text, token.Text);
  append_text(text, " has %s blanks, which an item's TAG must carry to bind to it",
              leading && trailing ? "leading and trailing" : (leading ? "leading" : "trailing"));
}

// The entries a controller and a process variable bind to, and whether the
// others are never bound.
void append_duplicate_targets(MessageText& text, const InitCheck& check,
                              const InitWarning& warning) {
  std::int32_t controller = -1;
  std::int32_t point = -1;
  for (std::int32_t k = 0; k < warning.Count; ++k) {
    std::int32_t name = warning.Group[k];
    int section = static_cast<unsigned char>(check.Tokens[name].Section);
    if (controller < 0 && searched_by(section, true)) controller = name;
    if (point < 0 && searched_by(section, false)) point = name;
  }
  if (controller >= 0) {
    append_text(text, "; a controller binds to ");
    append_entry(text, check, controller);
  }
  if (point >= 0) {
    append_text(text, "; a process variable binds to ");
    append_entry(text, check, point);
  }
  int targets = (controller >= 0) + (point >= 0 && point != controller);
  if (warning.Count > targets) append_text(text, "; the others are never bound");
}

void duplicate_text(const InitCheck& check, const InitWarning& warning, MessageText& text) {
  const InitToken& token = token_of(check, warning);
  append_token(text, token.Text);
  append_text(text, " data set %d stands %d times: ",
              parse_id(check.Tokens[warning.Token + ID_TOKEN].Text), warning.Count);
  for (std::int32_t k = 0; k < warning.Count && k < SHOWN_DUPLICATES; ++k) {
    if (k > 0) append_text(text, ", ");
    append_entry(text, check, warning.Group[k]);
  }
  if (warning.Count > SHOWN_DUPLICATES) {
    append_text(text, " and %d more", warning.Count - SHOWN_DUPLICATES);
  }
  append_duplicate_targets(text, check, warning);
}

void number_base_text(const InitCheck& check, const InitWarning& warning, MessageText& text) {
  const InitToken& token = token_of(check, warning);
  append_text(text, "the data set ");
  append_token(text, token.Text);
  append_text(text, " of ");
  append_record(text, check, token);
  append_text(text, " is read as %s: %d",
              warning.Kind == WARN_OCTAL ? "an octal number" : "a hexadecimal number",
              parse_id(token.Text));
}

// What was read of a field whose beginning only is a number: the number as
// it is written at the token's start.
void append_number_read(MessageText& text, const InitToken& token) {
  if (token.Field == ID_TOKEN) {
    append_text(text, "%d", parse_id(token.Text));
    return;
  }
  const char* end = nullptr;
  parse_real(token.Text, &end);
  const char* start = token.Text;
  while (is_blank(*start)) ++start;
  for (; start < end; ++start) append_text(text, "%c", *start);
}

void not_a_number_text(const InitCheck& check, const InitWarning& warning, MessageText& text) {
  const InitToken& token = token_of(check, warning);
  char field[32];
  append_text(text, "the %s of ", init_field_name(token.Section, token.Field, field, sizeof field));
  append_record(text, check, token);
  append_text(text, " is ");
  if (*token.Text == '\0') {
    append_text(text, "empty");
  } else {
    append_token(text, token.Text);
  }
  if (warning.Kind == WARN_NOT_A_NUMBER) {
    append_text(text, ", not a number: it is read as 0");
  } else {
    append_text(text, ": only its beginning is a number, read as ");
    append_number_read(text, token);
  }
}

void cut_short_text(const InitCheck& check, const InitWarning& warning, MessageText& text) {
  append_record(text, check, token_of(check, warning));
  if (warning.Count == 1) {
    append_text(text, " is cut short by the end of the text: its last field is read as 0");
  } else {
    append_text(text, " is cut short by the end of the text: its last %d fields are read as 0",
                warning.Count);
  }
}

void check_incomplete_text(const InitCheck&, const InitWarning&, MessageText& text) {
  append_text(text, "the check ran out of memory; its warnings may be incomplete");
}

struct WarningKind {
  const char* Code;  // a short fixed word, for machine-read output
  bool Unusable;     // the driver is left without any tag
  WarningText Text;
};

// In the order of InitWarningKind.
const WarningKind WARNING_KINDS[] = {
    {"too-short", true, too_short_text},
    {"no-tags", true, no_tags_text},
    {"zero-byte", false, zero_byte_text},
    {"stopped", false, stopped_text},
    {"out-of-memory", false, out_of_memory_text},
    {"table-full", false, table_full_text},
    {"crlf", false, crlf_text},
    {"not-a-header", false, not_a_header_text},
    {"swallowed-header", false, swallowed_header_text},
    {"name-blanks", false, name_blanks_text},
    {"duplicate", false, duplicate_text},
    {"octal", false, number_base_text},
    {"hexadecimal", false, number_base_text},
    {"not-a-number", false, not_a_number_text},
    {"partly-a-number", false, not_a_number_text},
    {"cut-short", false, cut_short_text},
    {"check-incomplete", false, check_incomplete_text},
};
constexpr std::uint8_t WARNING_KIND_COUNT = sizeof WARNING_KINDS / sizeof *WARNING_KINDS;
static_assert(WARNING_KIND_COUNT == WARN_CHECK_INCOMPLETE + 1);

}  // namespace

bool init_warning_unusable(std::uint8_t kind) {
  return kind < WARNING_KIND_COUNT && WARNING_KINDS[kind].Unusable;
}

const char* init_warning_code(std::uint8_t kind) {
  return kind < WARNING_KIND_COUNT ? WARNING_KINDS[kind].Code : "unknown";
}

void init_warning_text(const InitCheck& check, const InitWarning& warning, MessageText& text) {
  if (warning.Line > 0) append_text(text, "line %d: ", warning.Line);
  if (warning.Kind < WARNING_KIND_COUNT) WARNING_KINDS[warning.Kind].Text(check, warning, text);
}
