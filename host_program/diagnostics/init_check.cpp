#include "diagnostics/init_check.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "catalogue/numbers.h"
#include "catalogue/tokenizer.h"
#include "diagnostics/escaped_text.h"
#include "diagnostics/folded_text.h"

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
    if (same_folded(std::string_view(first, length), TAG_KINDS[s].Header)) *section = s;
  }
  if (*section == NO_INIT_SECTION) return UNKNOWN_HEADER;
  bool trimmed = first != token || first[length] != '\0';
  if (!trimmed) return HEADER_CASE;
  // A carriage return at the end, and nothing else trimmed: CRLF line ends.
  if (first == token && first[length] == '\r' && first[length + 1] == '\0') return HEADER_CR;
  return HEADER_BLANKS;
}

// The role's bits of a record's flags, and the mark of a missing field.
constexpr std::uint8_t TOKEN_ROLE = 0x07;
constexpr std::uint8_t TOKEN_PAST_END = 0x08;

void add_token(InitCheck& check, const LoadEvent& event, std::uint8_t role) {
  check.Tokens.push_back({static_cast<std::int32_t>(event.Token - check.Loading),
                          static_cast<std::int16_t>(role == ROLE_NAME ? event.Entry : event.Field),
                          event.Section,
                          static_cast<std::uint8_t>(role | (event.PastEnd ? TOKEN_PAST_END : 0))});
}

// The record being read was not stored: its tokens count as unread.
void unread_last_record(InitCheck& check) {
  if (check.RecordStart < 0) return;
  for (auto token = check.Tokens.begin() + check.RecordStart; token != check.Tokens.end();
       ++token) {
    token->Place = 0;
    token->Flags = ROLE_UNREAD;
  }
}

void token_seen(void* context, const LoadEvent& event) {
  InitCheck& check = *static_cast<InitCheck*>(context);
  switch (event.Kind) {
    case SEEN_NAME:
      ++check.Records[event.Section];
      check.Loaded += event.Entry >= 0;
      break;
    case SEEN_OUT_OF_MEMORY:
      // Memory runs out before any record (for the tables) or at the record
      // just told, which was counted as stored.
      check.Stop = STOP_OUT_OF_MEMORY;
      check.Loaded -= check.Loaded > 0;
      unread_last_record(check);
      check.RecordStart = -1;
      return;
    case SEEN_STOP:
      check.Stop = STOP_EMPTY_TOKEN;
      check.StopToken = init_token_count(check);
      break;
    default:
      break;
  }
  static const std::uint8_t ROLES[] = {ROLE_BEFORE_HEADER, ROLE_HEADER, ROLE_NAME,
                                       ROLE_FIELD,         ROLE_UNREAD, ROLE_UNREAD};
  std::uint8_t role = ROLES[event.Kind];
  if (role == ROLE_NAME) check.RecordStart = init_token_count(check);
  if (role != ROLE_NAME && role != ROLE_FIELD) check.RecordStart = -1;
  add_token(check, event, role);
}

// Before the load: the string's length, its line feeds and its CRLF line
// ends, from the text as given; the tokens' offsets count from its start.
void string_seen(void* context, char* text, std::int32_t length) {
  InitCheck& check = *static_cast<InitCheck*>(context);
  check.Loading = text;
  check.Length = length > 0 ? length : 0;
  check.TextLength = static_cast<std::int32_t>(std::strlen(text));
  for (std::int32_t i = 0; i < check.Length; ++i) {
    if (text[i] != '\n') continue;
    if (i > 0 && text[i - 1] == '\r' && check.CrlfLines++ == 0) {
      check.FirstCrlfLine = static_cast<std::int32_t>(check.LineFeeds.size()) + 1;
    }
    check.LineFeeds.push_back(i);
  }
}

// The text the check was shown before the load, as the loader cut it, is
// copied; the loader frees its buffer.
bool keep_text(void* context, char* text) {
  InitCheck& check = *static_cast<InitCheck*>(context);
  if (text == check.Loading) check.Text.assign(text, static_cast<std::size_t>(check.Length));
  check.Loading = nullptr;
  return false;
}

// The lines of tokens taken in the text's order, counted forward.
struct LineCursor {
  const InitCheck& check;
  std::size_t feeds = 0;
  std::int32_t at(std::int32_t offset) {
    while (feeds < check.LineFeeds.size() && check.LineFeeds[feeds] < offset) ++feeds;
    return static_cast<std::int32_t>(feeds) + 1;
  }
};

const TokenRecord& record_at(const InitCheck& check, std::int32_t index) {
  return check.Tokens[static_cast<std::size_t>(index)];
}

InitToken decode(const InitCheck& check, std::int32_t index, std::int32_t line) {
  const TokenRecord& record = record_at(check, index);
  InitToken token = {};
  token.Text = check.Text.c_str() + record.Offset;
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
  const std::function<void(const InitWarning&)>& each;
  void emit(std::uint8_t kind, std::int32_t line, std::int32_t token = -1,
            std::int32_t section = NO_INIT_SECTION, std::int32_t count = 0,
            std::span<const std::int32_t> group = {}) const {
    each({kind, line, token, section, count, group});
  }
};

void whole_string_warnings(const Emitter& out) {
  const InitCheck& check = out.check;
  if (check.Length <= EMPTY_INIT_LENGTH) {
    out.emit(WARN_TOO_SHORT, 0, -1, NO_INIT_SECTION, check.Length);
    return;
  }
  if (check.Loaded == 0) out.emit(WARN_NO_TAGS, 0);
  if (check.TextLength < check.Length) {
    out.emit(WARN_ZERO_BYTE, line_at(check, check.TextLength), -1, NO_INIT_SECTION,
             check.Length - check.TextLength);
  }
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
  for (std::int32_t i = 0; i < init_token_count(check); ++i) {
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
  std::string_view Name;
  std::int32_t Id;
  std::int32_t Section;
  std::int32_t Entry;
  std::int32_t Token;
};

bool same_name_and_id(const EntryKey& x, const EntryKey& y) {
  return x.Id == y.Id && same_folded(x.Name, y.Name);
}

struct NameAndIdHash {
  std::size_t operator()(const EntryKey& key) const {
    return folded_hash(key.Name) ^ (std::hash<std::int32_t>{}(key.Id) * 0x9E3779B97F4A7C15ull);
  }
};

struct NameAndIdEqual {
  bool operator()(const EntryKey& x, const EntryKey& y) const { return same_name_and_id(x, y); }
};

bool key_before(const EntryKey& x, const EntryKey& y) {
  if (!same_folded(x.Name, y.Name)) return folded_less(x.Name, y.Name);
  return std::tie(x.Id, x.Section, x.Entry) < std::tie(y.Id, y.Section, y.Entry);
}

// The entries another entry shares its name and data set with, sorted by
// name, data set and the order the binding searches.
std::vector<EntryKey> shared_keys(const InitCheck& check) {
  std::vector<EntryKey> entries;
  for (std::int32_t i = 0; i < init_token_count(check); ++i) {
    const TokenRecord& token = record_at(check, i);
    if ((token.Flags & TOKEN_ROLE) != ROLE_NAME || token.Place < 0) continue;
    entries.push_back({init_token_text(check, i), parse_id(init_token_text(check, i + ID_TOKEN)),
                       token.Section, token.Place, i});
  }
  // The first entry of each name and data set; an entry that finds one
  // marks both.
  std::unordered_map<EntryKey, std::size_t, NameAndIdHash, NameAndIdEqual> first;
  first.reserve(entries.size());
  std::vector<bool> shared(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    auto [at, added] = first.emplace(entries[i], i);
    if (!added) shared[at->second] = shared[i] = true;
  }
  std::vector<EntryKey> keys;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (shared[i]) keys.push_back(entries[i]);
  }
  std::sort(keys.begin(), keys.end(), key_before);
  return keys;
}

void duplicate_warnings(const Emitter& out) {
  const InitCheck& check = out.check;
  std::vector<EntryKey> keys = shared_keys(check);
  std::vector<std::int32_t> group;
  for (auto first = keys.begin(), last = first; first != keys.end(); first = last) {
    int for_controllers = 0;
    int for_points = 0;
    group.clear();
    for (last = first; last != keys.end() && same_name_and_id(*first, *last); ++last) {
      for_controllers += searched_by(last->Section, true);
      for_points += searched_by(last->Section, false);
      group.push_back(last->Token);
    }
    if (for_controllers > 1 || for_points > 1) {
      std::int32_t earliest = *std::min_element(group.begin(), group.end());
      out.emit(WARN_DUPLICATE, init_token(check, earliest).Line, earliest, NO_INIT_SECTION,
               static_cast<std::int32_t>(group.size()), group);
    }
  }
}

std::string record_text(const InitCheck& check, const InitToken& token) {
  const InitToken name = init_token(check, token.Record);
  std::string text =
      std::string("the ") + TAG_KINDS[name.Section].Name + " record " + quoted_token(name.Text);
  if (name.Line != token.Line) text += " (line " + std::to_string(name.Line) + ")";
  return text;
}

std::string entry_text(const InitCheck& check, std::int32_t name) {
  const InitToken token = init_token(check, name);
  return std::string(TAG_KINDS[token.Section].Name) + "[" + std::to_string(token.Entry) +
         "] (line " + std::to_string(token.Line) + ")";
}

const char* header_reason(HeaderLook look) {
  switch (look) {
    case HEADER_CASE:
      return "headers match in exact letter case";
    case HEADER_CR:
      return "it ends in a carriage return (CRLF line ends)";
    case HEADER_BLANKS:
      return "blanks stand beside it in its token";
    default:
      return "no section has this header";
  }
}

}  // namespace

const char* init_section_name(int section) { return TAG_KINDS[section].Name; }

std::string init_field_name(int section, int field) {
  static const char* const RANGED[] = {"name", "skipped token", "data set", "Low", "High"};
  if (field <= ID_TOKEN || section != KIND_DCD) return RANGED[field];
  return "state value " + std::to_string(field - ID_TOKEN - 1);
}

LoadObserver init_check_observer(InitCheck& check) {
  check = {};
  return {&check, string_seen, token_seen, keep_text};
}

void check_init_string(InitCheck& check, TagCatalogue& catalogue, const char* text,
                       std::int32_t length) {
  LoadObserver observer = init_check_observer(check);
  check.Text.assign(text, static_cast<std::size_t>(length > 0 ? length : 0));
  string_seen(&check, check.Text.data(), length);
  // The driver reads nothing from a string this short.
  if (check.Length > EMPTY_INIT_LENGTH)
    append_tags_checked(catalogue, check.Text.data(), &observer);
  check.Loading = nullptr;
}

InitStop init_reading(const InitCheck& check) {
  return check.Length <= EMPTY_INIT_LENGTH ? STOP_NOT_READ : static_cast<InitStop>(check.Stop);
}

std::int32_t init_token_count(const InitCheck& check) {
  return static_cast<std::int32_t>(check.Tokens.size());
}

InitToken init_token(const InitCheck& check, std::int32_t index) {
  return decode(check, index, line_at(check, record_at(check, index).Offset));
}

InitToken init_token_unlined(const InitCheck& check, std::int32_t index) {
  return decode(check, index, 0);
}

const char* init_token_text(const InitCheck& check, std::int32_t index) {
  return check.Text.c_str() + record_at(check, index).Offset;
}

std::uint8_t init_token_role(const InitCheck& check, std::int32_t index) {
  return record_at(check, index).Flags & TOKEN_ROLE;
}

std::int32_t line_at(const InitCheck& check, std::int32_t offset) {
  // The line feeds before the offset.
  auto before = std::lower_bound(check.LineFeeds.begin(), check.LineFeeds.end(), offset);
  return static_cast<std::int32_t>(before - check.LineFeeds.begin()) + 1;
}

void for_each_init_warning(const InitCheck& check,
                           const std::function<void(const InitWarning&)>& each) {
  Emitter out{check, each};
  whole_string_warnings(out);
  token_warnings(out);
  duplicate_warnings(out);
}

namespace {

// The texts of the warnings, one function for each kind, each the text
// after the warning's line number.
using WarningText = std::string (*)(const InitCheck& check, const InitWarning& warning);

InitToken token_of(const InitCheck& check, const InitWarning& warning) {
  return init_token(check, warning.Token);
}

std::string too_short_text(const InitCheck&, const InitWarning& warning) {
  return "the string holds " + std::to_string(warning.Count) + " bytes; one of " +
         std::to_string(EMPTY_INIT_LENGTH) +
         " bytes or less (at most the six headers, one a line) is taken to hold no tags, so the "
         "driver shows its load warning and loads nothing";
}

// "*AI*, *AO*, *DI*, *DO*, *DCD* and *CALC*".
std::string headers_text() {
  std::string text;
  for (int kind = 0; kind < TAG_TABLES; ++kind) {
    text += kind == 0 ? "" : (kind + 1 == TAG_TABLES ? " and " : ", ");
    text += TAG_KINDS[kind].Header;
  }
  return text;
}

std::string no_tags_text(const InitCheck& check, const InitWarning&) {
  bool any_header = std::any_of(check.Tokens.begin(), check.Tokens.end(), [](const TokenRecord& t) {
    return (t.Flags & TOKEN_ROLE) == ROLE_HEADER;
  });
  if (any_header) return "no tag is read: no record follows a header before the reading ends";
  return "no tag is read: no section header is recognised (" + headers_text() +
         ", in capitals, each a token of its own)";
}

std::string zero_byte_text(const InitCheck&, const InitWarning& warning) {
  return "a zero byte ends the text as the driver reads it; the " + std::to_string(warning.Count) +
         " bytes from it on are ignored";
}

std::string stopped_text(const InitCheck& check, const InitWarning& warning) {
  std::int32_t last_line = line_at(check, check.Length);
  std::string text =
      "an empty token (two delimiters with only blanks between them) where a record would "
      "begin ends the reading; the rest of the text";
  if (last_line > warning.Line) text += ", up to line " + std::to_string(last_line) + ",";
  return text + " is ignored";
}

std::string out_of_memory_text(const InitCheck&, const InitWarning&) {
  return "memory ran out while the tags were read; the tables keep what was read before";
}

std::string table_full_text(const InitCheck&, const InitWarning& warning) {
  return std::string("the ") + TAG_KINDS[warning.Section].Name + " table is full at " +
         std::to_string(MAXTAGS) + " entries: " + std::to_string(warning.Count) +
         " further records are read and dropped";
}

std::string crlf_text(const InitCheck&, const InitWarning& warning) {
  return "the line ends in a carriage return and a line feed (CRLF, " +
         std::to_string(warning.Count) + (warning.Count == 1 ? " line" : " lines") +
         "): the driver keeps the carriage return in the last token of each line, so a header "
         "alone on its line is not recognised";
}

std::string not_a_header_text(const InitCheck& check, const InitWarning& warning) {
  const InitToken token = token_of(check, warning);
  int section = NO_INIT_SECTION;
  HeaderLook look = header_look(token.Text, &section);
  std::string text = quoted_token(token.Text) + " is not ";
  if (section != NO_INIT_SECTION) {
    text += std::string("the header ") + TAG_KINDS[section].Header + ": ";
  } else {
    text += "a header: ";
  }
  text += header_reason(look);
  if (token.Role == ROLE_BEFORE_HEADER) {
    return text + "; it is skipped, as every token before the first header";
  }
  return text + "; it is read as the name of a record in the " + TAG_KINDS[token.Section].Name +
         " section, and the " + std::to_string(TAG_KINDS[token.Section].RecordTokens - 1) +
         " tokens after it as that record's fields";
}

std::string swallowed_header_text(const InitCheck& check, const InitWarning& warning) {
  const InitToken token = token_of(check, warning);
  const char* section = TAG_KINDS[token.Section].Name;
  return record_text(check, token) + " has too few fields: it takes " + quoted_token(token.Text) +
         " as its " + init_field_name(token.Section, token.Field) + "; the section stays " +
         section + ", and the tokens after it are read as " + section + " fields and records";
}

std::string name_blanks_text(const InitCheck& check, const InitWarning& warning) {
  const InitToken token = token_of(check, warning);
  std::string_view name = token.Text;
  bool leading = is_blank(name.front());
  bool trailing = is_blank(name.back());
  return std::string("the ") + TAG_KINDS[token.Section].Name + " tag name " + quoted_token(name) +
         " has " +
         (leading && trailing ? "leading and trailing" : (leading ? "leading" : "trailing")) +
         " blanks, which an item's TAG must carry to bind to it";
}

// The entries a controller and a process variable bind to, and whether the
// others are never bound.
std::string duplicate_targets_text(const InitCheck& check, const InitWarning& warning) {
  std::int32_t controller = -1;
  std::int32_t point = -1;
  for (std::int32_t name : warning.Group) {
    int section = static_cast<unsigned char>(record_at(check, name).Section);
    if (controller < 0 && searched_by(section, true)) controller = name;
    if (point < 0 && searched_by(section, false)) point = name;
  }
  std::string text;
  if (controller >= 0) text += "; a controller binds to " + entry_text(check, controller);
  if (point >= 0) text += "; a process variable binds to " + entry_text(check, point);
  int targets = (controller >= 0) + (point >= 0 && point != controller);
  if (warning.Count > targets) text += "; the others are never bound";
  return text;
}

std::string duplicate_text(const InitCheck& check, const InitWarning& warning) {
  const InitToken token = token_of(check, warning);
  std::string text = quoted_token(token.Text) + " data set " +
                     std::to_string(parse_id(init_token_text(check, warning.Token + ID_TOKEN))) +
                     " stands " + std::to_string(warning.Count) + " times: ";
  for (std::int32_t k = 0; k < warning.Count && k < SHOWN_DUPLICATES; ++k) {
    if (k > 0) text += ", ";
    text += entry_text(check, warning.Group[static_cast<std::size_t>(k)]);
  }
  if (warning.Count > SHOWN_DUPLICATES) {
    text += " and " + std::to_string(warning.Count - SHOWN_DUPLICATES) + " more";
  }
  return text + duplicate_targets_text(check, warning);
}

std::string number_base_text(const InitCheck& check, const InitWarning& warning) {
  const InitToken token = token_of(check, warning);
  return "the data set " + quoted_token(token.Text) + " of " + record_text(check, token) +
         " is read as " +
         (warning.Kind == WARN_OCTAL ? "an octal number: " : "a hexadecimal number: ") +
         std::to_string(parse_id(token.Text));
}

// What was read of a field whose beginning only is a number: the number as
// it is written at the token's start.
std::string number_read_text(const InitToken& token) {
  if (token.Field == ID_TOKEN) return std::to_string(parse_id(token.Text));
  const char* end = nullptr;
  parse_real(token.Text, &end);
  const char* start = token.Text;
  while (is_blank(*start)) ++start;
  return std::string(start, end);
}

std::string not_a_number_text(const InitCheck& check, const InitWarning& warning) {
  const InitToken token = token_of(check, warning);
  std::string text = "the " + init_field_name(token.Section, token.Field) + " of " +
                     record_text(check, token) + " is " +
                     (*token.Text == '\0' ? std::string("empty") : quoted_token(token.Text));
  if (warning.Kind == WARN_NOT_A_NUMBER) return text + ", not a number: it is read as 0";
  return text + ": only its beginning is a number, read as " + number_read_text(token);
}

std::string cut_short_text(const InitCheck& check, const InitWarning& warning) {
  std::string text =
      record_text(check, token_of(check, warning)) + " is cut short by the end of the text: ";
  if (warning.Count == 1) return text + "its last field is read as 0";
  return text + "its last " + std::to_string(warning.Count) + " fields are read as 0";
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
};
constexpr std::uint8_t WARNING_KIND_COUNT = std::size(WARNING_KINDS);
static_assert(WARNING_KIND_COUNT == WARN_CUT_SHORT + 1);

}  // namespace

bool init_warning_unusable(std::uint8_t kind) {
  return kind < WARNING_KIND_COUNT && WARNING_KINDS[kind].Unusable;
}

const char* init_warning_code(std::uint8_t kind) {
  return kind < WARNING_KIND_COUNT ? WARNING_KINDS[kind].Code : "unknown";
}

std::string init_warning_text(const InitCheck& check, const InitWarning& warning) {
  std::string text = warning.Line > 0 ? "line " + std::to_string(warning.Line) + ": " : "";
  if (warning.Kind < WARNING_KIND_COUNT) text += WARNING_KINDS[warning.Kind].Text(check, warning);
  return text;
}
