#include "diagnostics/plant_report_reader.h"

#include <charconv>
#include <cstdio>
#include <utility>

#include "host/checksum.h"

namespace {

// A report's lines, each without its line feed and a carriage return before
// it. A last line without its line feed is cut off.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}

  bool at_end() const { return rest_ >= text_.size(); }
  int number() const { return number_; }  // of the line last taken
  bool last_cut() const { return cut_; }

  std::string_view peek() const {
    std::size_t end = text_.find('\n', rest_);
    std::string_view line =
        text_.substr(rest_, (end == std::string_view::npos ? text_.size() : end) - rest_);
    if (!line.empty() && line.back() == '\r' && end != std::string_view::npos)
      line.remove_suffix(1);
    return line;
  }

  std::string_view take() {
    std::string_view line = peek();
    std::size_t end = text_.find('\n', rest_);
    cut_ = end == std::string_view::npos;
    rest_ = cut_ ? text_.size() : end + 1;
    ++number_;
    return line;
  }

 private:
  std::string_view text_;
  std::size_t rest_ = 0;
  int number_ = 0;
  bool cut_ = false;
};

struct Fault {
  ReportFault fault;
};

[[noreturn]] void fail(int line, std::string message) { throw Fault{{line, std::move(message)}}; }

// The words of a line, split at single blanks; a quoted field is one word.
std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> found;
  std::size_t i = 0;
  while (i < line.size()) {
    std::size_t end = i;
    if (line[i] == '"') {
      for (++end; end < line.size() && line[end] != '"'; ++end) {
        if (line[end] == '\\') ++end;
      }
      end = end < line.size() ? end + 1 : line.size();
    } else {
      end = line.find(' ', i);
      if (end == std::string_view::npos) end = line.size();
    }
    found.push_back(line.substr(i, end - i));
    i = end + 1;
  }
  return found;
}

std::int32_t number(std::string_view word, int line, const char* what) {
  std::int32_t value = 0;
  auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (word.empty() || error != std::errc{} || end != word.data() + word.size()) {
    fail(line, std::string(what) + " \"" + std::string(word) + "\" is not a 32-bit integer");
  }
  return value;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The bytes an escaped text stands for.
std::string unescape(std::string_view text, int line) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\') {
      bytes += c;
      continue;
    }
    if (++i == text.size()) fail(line, "a backslash ends the line");
    switch (text[i]) {
      case '\\':
      case '"':
        bytes += text[i];
        break;
      case 'r':
        bytes += '\r';
        break;
      case 't':
        bytes += '\t';
        break;
      case 'n':
        bytes += '\n';
        break;
      case '0':
        bytes += '\0';
        break;
      case 'x': {
        int high = i + 2 < text.size() ? hex_digit(text[i + 1]) : -1;
        int low = high >= 0 ? hex_digit(text[i + 2]) : -1;
        if (low < 0) fail(line, "\\x is not followed by two hexadecimal digits");
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        fail(line, std::string("unknown escape \\") + text[i]);
    }
  }
  return bytes;
}

// A line as an error shows it: in quotes, its first 40 bytes.
std::string quoted(std::string_view line) {
  std::string shown = "\"";
  shown.append(line.substr(0, 40));
  return shown.append("\"");
}

bool starts_with(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

constexpr std::string_view SECTION = "== ";
constexpr std::string_view FORMAT = "report-format ";
constexpr std::string_view FORMAT_READ = "1";

class Reader {
 public:
  explicit Reader(std::string_view text) : lines_(text) {}

  PlantReport read() {
    PlantReport report;
    try {
      while (skip_blank_lines()) report.events.push_back(event());
    } catch (const Fault& fault) {
      report.fault = fault.fault;
    }
    return report;
  }

 private:
  // False at the end of the text.
  bool skip_blank_lines() {
    while (!lines_.at_end() && lines_.peek().empty()) whole_line();
    return !lines_.at_end();
  }

  // A line of the event that started at `start`: the report may not end
  // before it.
  std::string_view take(int start, const char* section) {
    if (lines_.at_end()) {
      std::string message = "the report ends inside the ";
      message.append(section).append(" of line ").append(std::to_string(start));
      fail(lines_.number(), message.append(": it was cut off"));
    }
    return whole_line();
  }

  std::string_view whole_line() {
    std::string_view line = lines_.take();
    if (lines_.last_cut()) {
      fail(lines_.number(), "the report ends in the middle of a line: it was cut off");
    }
    return line;
  }

  ReportEvent event() {
    std::string_view line = whole_line();
    int start = lines_.number();
    if (!starts_with(line, SECTION)) {
      fail(start, quoted(line).append(
                      " is not a driver's section (\"== DCSLoad\", \"== DCSConfigure\", ...): "
                      "not a plant report"));
    }
    std::string_view name = line.substr(SECTION.size());
    if (starts_with(name, "DCSLoad: ")) return load(start, std::string(name.substr(9)));
    if (name == "DCSConfigure") return configure(start);
    if (name == "DCSReset" || name == "DCSStop") return reads(start, std::string(name));
    if (name == "DCSDestroy") return ReportDestroy{start};
    fail(start, std::string("unknown section ").append(quoted(line)));
  }

  // The expected first word of the next line of a section, and its words.
  std::vector<std::string_view> expect(std::string_view word, int start, const char* section) {
    std::string_view line = take(start, section);
    std::vector<std::string_view> found = words(line);
    if (found.empty() || found[0] != word) {
      std::string message = "expected \"";
      message.append(word).append(" ...\" in the ").append(section).append(" of line ");
      message.append(std::to_string(start)).append(", found ").append(quoted(line));
      fail(lines_.number(), message);
    }
    return found;
  }

  ReportLoad load(int start, std::string release) {
    const char* section = "DCSLoad";
    std::string_view format = take(start, section);
    if (!starts_with(format, FORMAT)) {
      fail(lines_.number(),
           "the DCSLoad of line " + std::to_string(start) +
               " holds no report format: a report of facts starts each load with \"" +
               std::string(FORMAT) + std::string(FORMAT_READ) +
               "\" (an older driver's report holds its explanations instead)");
    }
    if (format.substr(FORMAT.size()) != FORMAT_READ) {
      fail(lines_.number(),
           "the DCSLoad of line " + std::to_string(start) + " was written in report format " +
               std::string(format.substr(FORMAT.size())) +
               " by another version; this dravik-host reads format " + std::string(FORMAT_READ));
    }
    ReportLoad load{start, std::move(release), 0, std::nullopt, "", std::nullopt};
    std::vector<std::string_view> length = expect("length", start, section);
    if (length.size() != 2) fail(lines_.number(), "expected \"length N\"");
    load.length = number(length[1], lines_.number(), "the length");
    if (!lines_.at_end() && starts_with(lines_.peek(), "|")) load.text = text(start, load.length);
    std::vector<std::string_view> result = expect("load", start, section);
    if (result.size() != 2 ||
        (result[1] != "read" && result[1] != "too-short" && result[1] != "out-of-memory")) {
      fail(lines_.number(), "expected \"load read\", \"load too-short\" or \"load out-of-memory\"");
    }
    load.result = std::string(result[1]);
    std::vector<std::string_view> tables = expect("catalogue", start, section);
    if (tables.size() == 2 && tables[1] == "none") return load;
    if (tables.size() != 1 + 2 * TAG_TABLES) {
      fail(lines_.number(), "expected \"catalogue none\" or the six tables with their counts");
    }
    std::array<std::int32_t, TAG_TABLES> counts{};
    for (int kind = 0; kind < TAG_TABLES; ++kind) {
      if (tables[1 + 2 * kind] != TAG_KINDS[kind].Name) {
        fail(lines_.number(), std::string("expected the table ") + TAG_KINDS[kind].Name);
      }
      counts[kind] = number(tables[2 + 2 * kind], lines_.number(), "the count");
    }
    load.tables = counts;
    return load;
  }

  // The string's lines, then its checksum; both must match the bytes.
  std::string text(int start, std::int32_t length) {
    std::string bytes;
    bool first = true;
    while (!lines_.at_end() && starts_with(lines_.peek(), "|")) {
      std::string_view line = take(start, "DCSLoad");
      if (!first) bytes += '\n';
      first = false;
      bytes += unescape(line.substr(1), lines_.number());
    }
    std::vector<std::string_view> crc = expect("crc32", start, "DCSLoad");
    int at = lines_.number();
    if (crc.size() != 2 || crc[1].size() != 8) fail(at, "expected \"crc32\" and eight digits");
    std::uint32_t recorded = 0;
    auto [end, error] = std::from_chars(crc[1].data(), crc[1].data() + 8, recorded, 16);
    if (error != std::errc{} || end != crc[1].data() + 8)
      fail(at, "the checksum is not hexadecimal");
    std::string load = "the string of the DCSLoad of line " + std::to_string(start);
    if (bytes.size() != static_cast<std::size_t>(length < 0 ? 0 : length)) {
      fail(at, load + " holds " + std::to_string(bytes.size()) + " bytes, but its length is " +
                   std::to_string(length) + ": the report was edited or cut");
    }
    std::uint32_t computed = crc32_update(0, bytes.data(), bytes.size());
    if (computed != recorded) {
      char digits[9];
      std::snprintf(digits, sizeof digits, "%08X", computed);
      fail(at, load + " does not match its checksum (" + std::string(crc[1]) + " recorded, " +
                   digits + " read): the report was edited");
    }
    return bytes;
  }

  ReportConfigure configure(int start) {
    const char* section = "DCSConfigure";
    ReportConfigure configure{start, {}, false, 0, ""};
    for (;;) {
      std::string_view line = take(start, section);
      int at = lines_.number();
      std::vector<std::string_view> found = words(line);
      if (!found.empty() && found[0] == "result") {
        if (found.size() == 2 && found[1] == "1") {
          configure.result = 1;
        } else if (found.size() == 3 && found[1] == "0") {
          configure.refusal = std::string(found[2]);
        } else {
          fail(at, "expected \"result 1\" or \"result 0\" and the check that refused");
        }
        return configure;
      }
      if (line == "failed-reads uncounted") {
        configure.counts_refused = true;
        continue;
      }
      configure.items.push_back(item(found, at, line));
    }
  }

  ReportItem item(const std::vector<std::string_view>& found, int at, std::string_view line) {
    ReportItem item{at, false, 0, false, false, std::nullopt, 0, 0, 0};
    bool named = !found.empty() && (found[0] == "controller" || found[0] == "process-variable");
    if (!named || found.size() < 3) fail(at, quoted(line).append(" is no item"));
    item.controller = found[0] == "controller";
    item.index = number(found[1], at, "the item's index");
    if (found.size() == 3 && found[2] == "no-fields") return item;
    if (found.size() != 10 || (found[2] != "active" && found[2] != "inactive") ||
        found[4] != "ds" || found[6] != "code" || found[8] != "index") {
      fail(at, "expected \"KIND N active|inactive TAG ds N code N index N\"");
    }
    item.has_fields = true;
    item.active = found[2] == "active";
    std::string_view tag = found[3];
    if (tag.size() >= 2 && tag.front() == '"' && tag.back() == '"') {
      item.tag = unescape(tag.substr(1, tag.size() - 2), at);
    } else if (tag != "null") {
      fail(at, "the TAG is neither quoted nor null");
    }
    item.ds = number(found[5], at, "the data set");
    item.code = number(found[7], at, "the code");
    item.struct_idx = number(found[9], at, "the index");
    return item;
  }

  // Failed-read lines up to the next section.
  ReportReads reads(int start, std::string entry_point) {
    ReportReads reads{start, std::move(entry_point), {}, true};
    while (!lines_.at_end() && !starts_with(lines_.peek(), SECTION) && !lines_.peek().empty()) {
      std::string_view line = take(start, "failed reads");
      int at = lines_.number();
      std::vector<std::string_view> found = words(line);
      if (line == "failed-reads uncounted") {
        reads.counted = false;
      } else if (line != "failed-reads none") {
        if (found.size() != 7 || found[0] != "failed-reads" || found[1] != "controller" ||
            found[3] != "count" || found[5] != "last-status") {
          fail(at, "expected \"failed-reads controller N count N last-status N\"");
        }
        reads.failed.push_back({number(found[2], at, "the controller"),
                                number(found[4], at, "the count"),
                                number(found[6], at, "the status")});
      }
    }
    return reads;
  }

  Lines lines_;
};

}  // namespace

PlantReport read_plant_report(std::string_view text) { return Reader(text).read(); }

bool looks_like_plant_report(std::string_view text) {
  Lines lines(text);
  while (!lines.at_end()) {
    std::string_view line = lines.take();
    if (!line.empty()) return starts_with(line, "== DCS");
  }
  return false;
}

const ReportConfigure* last_configure(const PlantReport& report) {
  for (auto each = report.events.rbegin(); each != report.events.rend(); ++each) {
    if (const auto* configure = std::get_if<ReportConfigure>(&*each)) return configure;
  }
  return nullptr;
}
