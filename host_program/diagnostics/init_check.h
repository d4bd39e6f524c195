// Reading an initialization string the way the loader reads it, token by
// token with the driver's own tokenizer and number readers, and saying where
// what the driver reads differs from what a person reading the text expects:
// where reading stopped, headers that are not headers, records that took a
// header as a field, names with blanks, shadowed duplicates, numbers read as
// octal or hexadecimal or not at all. The check keeps the cut string and a
// small record of each token.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "catalogue/tag_catalogue.h"

// A section is the kind of its header, an index into TAG_KINDS.
inline constexpr int INIT_SECTIONS = TAG_TABLES;
inline constexpr int NO_INIT_SECTION = NO_KIND;

// The table's name of a section, NO_INIT_SECTION excepted.
const char* init_section_name(int section);
// What the field at a position of a record holds ("data set", "High",
// "state value 3").
std::string init_field_name(int section, int field);

// What the loader made of a token.
enum InitRole : std::uint8_t {
  ROLE_BEFORE_HEADER,  // before the first header: skipped
  ROLE_HEADER,         // switched the section
  ROLE_NAME,           // the first token of a record
  ROLE_FIELD,          // a later token of a record, whatever it holds
  ROLE_UNREAD,         // after the reading stopped
};

// A token as a reader of the check sees it.
struct InitToken {
  const char* Text;     // in the string as the loader cut it
  std::int32_t Line;    // 1-based line of the string where it stands
  std::int32_t Record;  // a name or a field: the index of its record's name token
  std::int32_t Entry;   // a name: its index in its table, past the entries of earlier
                        // loads; -1 when the table was full
  std::int8_t Section;  // NO_INIT_SECTION before the first header
  std::uint8_t Role;
  std::uint8_t Field;  // position in its record, 0 for the name
  bool PastEnd;        // a field taken after the end of the text: missing
};

// A token as the check keeps it, in eight bytes: where its text starts in
// the cut string, and what the loader made of it.
struct TokenRecord {
  std::int32_t Offset;
  std::int16_t Place;  // a name: its entry, or -1; a field: its position
  std::int8_t Section;
  std::uint8_t Flags;  // the role, and TOKEN_PAST_END
};

enum InitStop : std::uint8_t {
  STOP_AT_END,         // read to the end
  STOP_EMPTY_TOKEN,    // an empty token where a record would begin, with text left
  STOP_OUT_OF_MEMORY,  // the loader ran out of memory
  STOP_NOT_READ        // too short to be read (see init_reading)
};

// The check of one load: it watches the loader read the string (see
// init_check_observer) and keeps, besides the cut string, eight bytes a token
// and four a line.
struct InitCheck {
  std::string Text;           // the string as the loader cut it
  const char* Loading{};      // the loader's buffer, during the load
  std::int32_t Length{};      // bytes given, as the emulator reports them
  std::int32_t TextLength{};  // bytes up to the first zero byte: what the tokenizer sees
  std::vector<TokenRecord> Tokens;
  std::vector<std::int32_t> LineFeeds;    // the offset of every line feed, in order
  std::int32_t Records[INIT_SECTIONS]{};  // records read per section, dropped ones included
  std::int32_t Loaded{};                  // entries the load stored
  std::int32_t RecordStart = -1;          // the name token of the record being read, or -1
  std::uint8_t Stop = STOP_AT_END;
  std::int32_t StopToken = -1;  // the empty token that ended the reading, or -1
  std::int32_t CrlfLines{};     // lines that end in a carriage return and a line feed
  std::int32_t FirstCrlfLine{};
};

// An observer of the loader that fills `check`, which it empties first: it
// takes the string before the load, every token during it, and copies the
// cut string after it (the loader frees its own buffer).
LoadObserver init_check_observer(InitCheck& check);

// Reads `length` bytes of `text` as the driver would, into `catalogue` (empty,
// released by the caller) and `check`.
void check_init_string(InitCheck& check, TagCatalogue& catalogue, const char* text,
                       std::int32_t length);

// How the reading ended, the one answer every report gives: a string of
// EMPTY_INIT_LENGTH bytes or fewer is not read (STOP_NOT_READ); any other
// ends as the loader told.
InitStop init_reading(const InitCheck& check);

// How many tokens the check holds.
std::int32_t init_token_count(const InitCheck& check);

// The token at `index`, 0 to init_token_count - 1.
InitToken init_token(const InitCheck& check, std::int32_t index);
// The same without its line, which costs a search of the line feeds.
InitToken init_token_unlined(const InitCheck& check, std::int32_t index);
// Its text alone, and its role alone.
const char* init_token_text(const InitCheck& check, std::int32_t index);
std::uint8_t init_token_role(const InitCheck& check, std::int32_t index);

// The line of the string at a byte offset, 1-based.
std::int32_t line_at(const InitCheck& check, std::int32_t offset);

enum InitWarningKind : std::uint8_t {
  WARN_TOO_SHORT,         // EMPTY_INIT_LENGTH bytes or less: the driver loads nothing
  WARN_NO_TAGS,           // longer, but no tag is read
  WARN_ZERO_BYTE,         // a zero byte ends the text early
  WARN_STOPPED,           // an empty token ended the reading with text left
  WARN_OUT_OF_MEMORY,     // the loader ran out of memory
  WARN_TABLE_FULL,        // records beyond 32,767 in one table are dropped
  WARN_CRLF,              // carriage-return/line-feed line ends
  WARN_NOT_A_HEADER,      // looks like a header, is not one
  WARN_SWALLOWED_HEADER,  // a header taken as a record's field
  WARN_NAME_BLANKS,       // a name with leading or trailing blanks
  WARN_DUPLICATE,         // one name and data set more than once where an item searches
  WARN_OCTAL,             // a data set read as octal
  WARN_HEX,               // a data set read as hexadecimal
  WARN_NOT_A_NUMBER,      // read as 0
  WARN_PARTLY_A_NUMBER,   // only its beginning is read
  WARN_CUT_SHORT,         // the last record runs past the end of the text
};

struct InitWarning {
  std::uint8_t Kind;
  std::int32_t Line;     // 0 when none
  std::int32_t Token;    // the token it is about, or -1
  std::int32_t Section;  // the table it is about, or NO_INIT_SECTION
  std::int32_t Count;    // a number the text needs (lines, records, entries)
  // WARN_DUPLICATE: the name tokens of the entries, in the order the binding
  // searches them; valid during the callback only.
  std::span<const std::int32_t> Group;
};

// True for the warnings that leave the driver without any tag.
bool init_warning_unusable(std::uint8_t kind);
// A short fixed word for the kind, e.g. "crlf", for machine-read output.
const char* init_warning_code(std::uint8_t kind);

// Calls `each` with every warning, those about the whole string first, then
// by line.
void for_each_init_warning(const InitCheck& check,
                           const std::function<void(const InitWarning&)>& each);

// The warning as one line of text, naming its line where it has one.
std::string init_warning_text(const InitCheck& check, const InitWarning& warning);
