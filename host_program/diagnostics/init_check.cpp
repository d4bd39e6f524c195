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
  if (*first != '*') return NOT_LIKE_A_HEADER;  // most tokens: no need to measure them
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

// Tokens are kept in blocks of this many records, so the list never moves
// and never holds more than one block it does not use.
constexpr std::int32_t TOKEN_BLOCK = 1 << 14;
// The role's bits of a record's flags, and the mark of a missing field.
constexpr std::uint8_t TOKEN_ROLE = 0x07;
constexpr std::uint8_t TOKEN_PAST_END = 0x08;

TokenRecord& record_at(const InitCheck& check, std::int32_t index) {
  return check.Blocks[index / TOKEN_BLOCK][index % TOKEN_BLOCK];
}

// Room for one more record: a new block when the last one is full.
bool grow_tokens(InitCheck& check) {
  if (check.TokenCount < check.BlockCount * TOKEN_BLOCK) return true;
  std::int32_t block = check.BlockCount;
  if (block == check.BlockRoom) {
    std::int32_t room = check.BlockRoom == 0 ? 16 : check.BlockRoom * 2;
    // An array of pointers to blocks: the size of a pointer is meant.
    // NOLINTNEXTLINE(bugprone-sizeof-expression)
    std::size_t size = sizeof(TokenRecord*) * static_cast<std::size_t>(room);
    auto* grown = static_cast<TokenRecord**>(std::realloc(check.Blocks, size));
    if (grown == nullptr) return false;
    check.Blocks = grown;
    check.BlockRoom = room;
  }
  check.Blocks[block] = static_cast<TokenRecord*>(std::malloc(sizeof(TokenRecord) * TOKEN_BLOCK));
  if (check.Blocks[block] == nullptr) return false;
  ++check.BlockCount;
  return true;
}

bool add_token(InitCheck& check, const LoadEvent& event, std::uint8_t role) {
  if (!grow_tokens(check)) return false;
  TokenRecord& added = record_at(check, check.TokenCount++);
  added.Offset = static_cast<std::int32_t>(event.Token - check.Text);
  added.Place = static_cast<std::int16_t>(role == ROLE_NAME ? event.Entry : event.Field);
  added.Section = event.Section;
  added.Flags = static_cast<std::uint8_t>(role | (event.PastEnd ? TOKEN_PAST_END : 0));
  return true;
}

// The record being read was not stored: its tokens count as unread.
void unread_last_record(InitCheck& check) {
  if (check.RecordStart < 0) return;
  for (std::int32_t i = check.RecordStart; i < check.TokenCount; ++i) {
    TokenRecord& token = record_at(check, i);
    token.Place = 0;
    token.Flags = ROLE_UNREAD;
  }
}

// What the check counts whether or not it has memory for its tokens.
void count_event(InitCheck& check, const LoadEvent& event) {
  if (event.Kind == SEEN_NAME) {
    ++check.Records[event.Section];
    check.Loaded += event.Entry >= 0;
  } else if (event.Kind == SEEN_OUT_OF_MEMORY) {
    // Memory runs out before any record (for the tables) or at the record
    // just told, which was counted as stored.
    check.Stop = STOP_OUT_OF_MEMORY;
    check.Loaded -= check.Loaded > 0;
  } else if (event.Kind == SEEN_STOP) {
    check.Stop = STOP_EMPTY_TOKEN;
  }
}

void token_seen(void* context, const LoadEvent& event) {
  InitCheck& check = *static_cast<InitCheck*>(context);
  count_event(check, event);
  if (event.Kind == SEEN_OUT_OF_MEMORY) {
    if (check.Complete) unread_last_record(check);
    check.RecordStart = -1;
    return;
  }
  if (!check.Complete) return;
  static const std::uint8_t ROLES[] = {ROLE_BEFORE_HEADER, ROLE_HEADER, ROLE_NAME,
                                       ROLE_FIELD,         ROLE_UNREAD, ROLE_UNREAD};
  std::uint8_t role = ROLES[event.Kind];
  if (role == ROLE_NAME) check.RecordStart = check.TokenCount;
  if (role != ROLE_NAME && role != ROLE_FIELD) check.RecordStart = -1;
  if (add_token(check, event, role)) {
    if (event.Kind == SEEN_STOP) check.StopToken = check.TokenCount - 1;
    return;
  }
  // A record is kept whole or not at all: every reader of a name token
  // takes its fields after it.
  check.Complete = false;
  if (role == ROLE_FIELD) check.TokenCount = check.RecordStart;
}

// Before the load: the string's length, its line feeds and its CRLF line
// ends, from the text as given; the tokens' offsets count from its start.
void string_seen(void* context, char* text, std::int32_t length) {
  InitCheck& check = *static_cast<InitCheck*>(context);
  check.Text = text;
  check.Length = length > 0 ? length : 0;
  check.TextLength = static_cast<std::int32_t>(std::strlen(text));
  // Plain loops: the DLL imports no more of the C runtime than it must.
  std::int32_t feeds = 0;
  for (std::int32_t i = 0; i < check.Length; ++i) feeds += text[i] == '\n';
  check.LineFeeds = static_cast<std::int32_t*>(
      std::malloc(sizeof(std::int32_t) * static_cast<std::size_t>(feeds > 0 ? feeds : 1)));
  if (check.LineFeeds == nullptr) {
    // Without its lines the check can name no place: it keeps no token.
    check.Complete = false;
    return;
  }
  for (std::int32_t i = 0; i < check.Length; ++i) {
    if (text[i] != '\n') continue;
    if (i > 0 && text[i - 1] == '\r' && check.CrlfLines++ == 0) {
      check.FirstCrlfLine = check.LineFeedCount + 1;
    }
    check.LineFeeds[check.LineFeedCount++] = i;
  }
}

// The text the check was shown before the load is the one it keeps.
bool keep_text(void* context, char* text) { return static_cast<InitCheck*>(context)->Text == text; }

// The lines of tokens taken in the text's order, counted forward.
struct LineCursor {
  const InitCheck& check;
  std::int32_t feeds = 0;
  std::int32_t at(std::int32_t offset) {
    while (feeds < check.LineFeedCount && check.LineFeeds[feeds] < offset) ++feeds;
    return feeds + 1;
  }
};

InitToken decode(const InitCheck& check, std::int32_t index, std::int32_t line) {
  const TokenRecord& record = record_at(check, index);
  InitToken token = {};
  token.Text = check.Text + record.Offset;
  token.Line = line;
  token.Section = record.Section;
  token.Role = record.Flags & TOKEN_ROLE;
  token.PastEnd = (record.Flags & TOKEN_PAST_END) != 0;
  token.Entry = token.Role == ROLE_NAME ? record.Place : -1;
  token.Field = static_cast<std::uint8_t>(token.Role == ROLE_FIELD ? record.Place : 0);
  bool in_record = token.Role == ROLE_NAME || token.Role == ROLE_FIELD;
  token.Record = in_record ? index - token.Field : -1;
  return token;
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
// Digits alone, or for a real digits, a full stop and digits: read whole as
// written, which most fields are; the readers need not look again.
bool plain_number(const char* text, bool real) {
  const char* p = text;
  while (*p >= '0' && *p <= '9') ++p;
  if (p == text) return false;
  if (!real) return *p == '\0' && (text[0] != '0' || p - text == 1);
  if (*p != '.') return *p == '\0';
  const char* fraction = ++p;
  while (*p >= '0' && *p <= '9') ++p;
  return p != fraction && *p == '\0';
}

std::uint8_t number_warning(const InitToken& token) {
  if (token.Field < ID_TOKEN) return NO_WARNING;
  if (plain_number(token.Text, token.Field != ID_TOKEN)) return NO_WARNING;
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
  if (check.Loaded == 0) out.emit(WARN_NO_TAGS, 0);
  if (check.TextLength < check.Length) {
    out.emit(WARN_ZERO_BYTE, line_at(check, check.TextLength), -1, NO_INIT_SECTION,
             check.Length - check.TextLength);
  }
  // The stop's token is missing when the check ran out of memory before it.
  if (check.StopToken >= 0) {
    out.emit(WARN_STOPPED, init_token(check, check.StopToken).Line, check.StopToken);
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
  LineCursor lines{check};
  bool after_missing = false;  // the token before was a missing field
  for (std::int32_t i = 0; i < check.TokenCount; ++i) {
    const InitToken token = decode(check, i, lines.at(record_at(check, i).Offset));
    bool missing = token.Role == ROLE_FIELD && token.PastEnd;
    bool first_missing = missing && !after_missing;
    after_missing = missing;
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
          if (first_missing) {
            out.emit(WARN_CUT_SHORT, init_token(check, token.Record).Line, i, token.Section,
                     TAG_KINDS[token.Section].RecordTokens - token.Field);
          }
          break;
        }
        // An exact header looks like one too.
        if (look != NOT_LIKE_A_HEADER) {
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

// The name (letter case aside) and data set of a name token, hashed.
std::uint32_t entry_hash(const char* name, std::int32_t id) {
  std::uint32_t hash = 2166136261u;
  for (const char* p = name; *p != '\0'; ++p) {
    hash = (hash ^ fold_letter(static_cast<unsigned char>(*p))) * 16777619u;
  }
  hash = (hash ^ static_cast<std::uint32_t>(id)) * 16777619u;
  hash ^= hash >> 15;
  hash *= 0x85EBCA6Bu;
  return hash ^ (hash >> 13);
}

std::int32_t entry_id(const InitCheck& check, std::int32_t name) {
  return parse_id(init_token_text(check, name + ID_TOKEN));
}

bool is_entry(const TokenRecord& token) {
  return (token.Flags & TOKEN_ROLE) == ROLE_NAME && token.Place >= 0;
}

// Marks in `shared` (a bit per token) every entry whose name and data set
// another entry has: one pass, with a table of the first entry of each.
// False when memory for the table ran out.
bool mark_shared(const InitCheck& check, std::size_t entries, unsigned char* shared) {
  std::size_t size = 4;
  while (size < 2 * entries) size *= 2;
  auto* first = static_cast<std::int32_t*>(std::calloc(size, sizeof(std::int32_t)));
  if (first == nullptr) return false;
  for (std::int32_t i = 0; i < check.TokenCount; ++i) {
    if (!is_entry(record_at(check, i))) continue;
    const char* name = init_token_text(check, i);
    std::int32_t id = entry_id(check, i);
    std::size_t at = entry_hash(name, id) & (size - 1);
    for (; first[at] != 0; at = (at + 1) & (size - 1)) {
      std::int32_t held = first[at] - 1;
      if (compare_names(init_token_text(check, held), name) == 0 && entry_id(check, held) == id) {
        break;
      }
    }
    if (first[at] == 0) {
      first[at] = i + 1;
      continue;
    }
    shared[(first[at] - 1) / 8] |= static_cast<unsigned char>(1u << ((first[at] - 1) % 8));
    shared[i / 8] |= static_cast<unsigned char>(1u << (i % 8));
  }
  std::free(first);
  return true;
}

// The entries another entry shares its name and data set with, sorted by
// name, data set and the order the binding searches; their count in `n`.
EntryKey* shared_keys(const InitCheck& check, std::size_t entries, std::size_t& n) {
  n = 0;
  auto* shared = static_cast<unsigned char*>(
      std::calloc(static_cast<std::size_t>(check.TokenCount) / 8 + 1, 1));
  if (shared == nullptr || !mark_shared(check, entries, shared)) {
    std::free(shared);
    return nullptr;
  }
  for (std::int32_t i = 0; i < check.TokenCount; ++i) n += (shared[i / 8] >> (i % 8)) & 1u;
  auto* keys = static_cast<EntryKey*>(std::malloc(sizeof(EntryKey) * (n > 0 ? n : 1)));
  if (keys != nullptr) {
    std::size_t k = 0;
    for (std::int32_t i = 0; i < check.TokenCount; ++i) {
      if (((shared[i / 8] >> (i % 8)) & 1u) == 0) continue;
      const TokenRecord& token = record_at(check, i);
      keys[k++] = {check.Text + token.Offset, entry_id(check, i), token.Section, token.Place, i};
    }
    sort_keys(keys, n);
  }
  std::free(shared);
  return keys;
}

void duplicate_warnings(const Emitter& out) {
  const InitCheck& check = out.check;
  std::size_t entries = 0;
  for (std::int32_t i = 0; i < check.TokenCount; ++i) entries += is_entry(record_at(check, i));
  if (entries < 2) return;
  std::size_t n = 0;
  EntryKey* keys = shared_keys(check, entries, n);
  auto* group = static_cast<std::int32_t*>(std::malloc(sizeof(std::int32_t) * (n > 0 ? n : 1)));
  if (keys == nullptr || group == nullptr) {
    std::free(keys);
    std::free(group);
    out.emit(WARN_CHECK_INCOMPLETE, 0);
    return;
  }
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
      out.emit(WARN_DUPLICATE, init_token(check, earliest).Line, earliest, NO_INIT_SECTION,
               static_cast<std::int32_t>(last - first), group);
    }
  }
  std::free(keys);
  std::free(group);
}

void append_record(MessageText& text, const InitCheck& check, const InitToken& token) {
  const InitToken name = init_token(check, token.Record);
  append_text(text, "the %s record ", TAG_KINDS[name.Section].Name);
  append_token(text, name.Text);
  if (name.Line != token.Line) append_text(text, " (line %d)", name.Line);
}

void append_entry(MessageText& text, const InitCheck& check, std::int32_t name) {
  const InitToken token = init_token(check, name);
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

LoadObserver init_check_observer(InitCheck& check) {
  check = {};
  check.StopToken = -1;
  check.RecordStart = -1;
  check.Complete = true;
  return {&check, string_seen, token_seen, keep_text};
}

bool check_init_string(InitCheck& check, TagCatalogue& catalogue, const char* text,
                       std::int32_t length) {
  LoadObserver observer = init_check_observer(check);
  std::int32_t given = length > 0 ? length : 0;
  auto* copy = static_cast<char*>(std::malloc(static_cast<std::size_t>(given) + 1));
  if (copy == nullptr) {
    check.Length = given;
    check.Complete = false;
    return false;
  }
  std::memcpy(copy, text, static_cast<std::size_t>(given));
  copy[given] = '\0';
  string_seen(&check, copy, given);
  // The driver reads nothing from a string this short.
  if (check.Length > EMPTY_INIT_LENGTH) append_tags_checked(catalogue, copy, &observer);
  return check.Complete;
}

void release_init_check(InitCheck& check) {
  std::free(check.Text);
  for (std::int32_t block = 0; block < check.BlockCount; ++block) std::free(check.Blocks[block]);
  std::free(check.Blocks);
  std::free(check.LineFeeds);
  check = {};
}

InitStop init_reading(const InitCheck& check) {
  return check.Length <= EMPTY_INIT_LENGTH ? STOP_NOT_READ : static_cast<InitStop>(check.Stop);
}

InitToken init_token(const InitCheck& check, std::int32_t index) {
  return decode(check, index, line_at(check, record_at(check, index).Offset));
}

InitToken init_token_unlined(const InitCheck& check, std::int32_t index) {
  return decode(check, index, 0);
}

const char* init_token_text(const InitCheck& check, std::int32_t index) {
  return check.Text + record_at(check, index).Offset;
}

std::uint8_t init_token_role(const InitCheck& check, std::int32_t index) {
  return record_at(check, index).Flags & TOKEN_ROLE;
}

std::int32_t line_at(const InitCheck& check, std::int32_t offset) {
  // The line feeds before the offset, found by halving.
  std::int32_t low = 0;
  std::int32_t high = check.LineFeedCount;
  while (low < high) {
    std::int32_t middle = low + (high - low) / 2;
    if (check.LineFeeds[middle] < offset) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low + 1;
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

InitToken token_of(const InitCheck& check, const InitWarning& warning) {
  return init_token(check, warning.Token);
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
    any_header = init_token_role(check, i) == ROLE_HEADER;
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
  const InitToken token = token_of(check, warning);
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
  const InitToken token = token_of(check, warning);
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
  const InitToken token = token_of(check, warning);
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
    int section = static_cast<unsigned char>(record_at(check, name).Section);
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
  const InitToken token = token_of(check, warning);
  append_token(text, token.Text);
  append_text(text, " data set %d stands %d times: ",
              parse_id(init_token_text(check, warning.Token + ID_TOKEN)), warning.Count);
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
  const InitToken token = token_of(check, warning);
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
  const InitToken token = token_of(check, warning);
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
