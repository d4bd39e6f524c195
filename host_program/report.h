// What the stand-in host prints: notes (the catalogue, the bindings, the
// driver's messages) and one row per step, as a readable table, as CSV whose
// notes are comment lines, or as one JSON document written as the run goes.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "case_file.h"
#include "catalogue/tag_catalogue.h"
#include "diagnostics/bindings.h"
#include "diagnostics/escaped_text.h"
#include "diagnostics/init_check.h"
#include "diagnostics/report_text.h"

enum class Format { Table, Csv, Json };

// One column of the step table. A reading is a controller's value with its
// verdict: in CSV it takes two columns (the value, and "<name> ok" with 1 or
// 0); in the table one, with a failed reading shown in brackets. An inactive
// controller's reading is never made, so it shows as such: "inactive" in the
// table, empty cells in CSV, null in JSON. A count (the step, the time) is
// printed with every digit it has.
struct Column {
  std::string name;
  bool reading = false;
  bool count = false;
  bool inactive = false;  // a reading the driver does not make
};

struct Cell {
  std::optional<double> value;  // none: nothing crossed
  bool valid = true;            // a reading's verdict
};

// An item's binding as the driver wrote it, or why there is none.
struct BindingNote {
  bool controller;
  std::string name;
  std::string tag;
  std::int32_t ds;
  bool active;
  const char* table;  // null: unbound
  std::int32_t code;
  std::int32_t index;
  std::string reason;  // why it is unbound
  std::string line;    // the binding or the reason, after the item's label, as the driver words it
  std::vector<SuggestionNote> suggestions;  // of an unbound item, the first three
};

class Report {
 public:
  Report(std::FILE* out, Format format) : out_(out), format_(format) {}

  // Free text, one line; control characters are shown escaped so no text
  // of the case can start a line of its own.
  void note(const std::string& text);
  void case_title(const std::string& title);
  void catalogue(const TagCatalogue* catalogue);  // null: the emulator offers none
  void init_warning(const InitCheck& check, const InitWarning& warning);
  void driver_box(const std::string& caption, const std::string& text);
  void driver_error_key(const std::string& key);
  void binding(const BindingNote& item);
  void rule_warning(const std::string& text);

  void columns(const std::vector<Column>& columns);
  void row(const std::vector<Cell>& cells);
  // Ends the output; JSON closes its document with the exit status.
  void finish(int status);

 private:
  void json_add(const char* list, nlohmann::ordered_json item);

  std::FILE* out_;
  Format format_;
  std::vector<Column> columns_;
  std::vector<int> widths_;
  nlohmann::ordered_json document_ = nlohmann::ordered_json::object();
  nlohmann::ordered_json tail_ = nlohmann::ordered_json::object();  // what comes after the rows
  bool rows_open_ = false;
  bool first_row_ = true;
};

// An item's binding as JSON: item, name, tag, ds, active, bound; then code,
// table and index, or reason and suggestions. The run and explain give the
// same.
nlohmann::ordered_json binding_json(const BindingNote& item);

// {"AI": 4, "AO": 2, ...}: the count of each table.
nlohmann::ordered_json table_counts(const TagCatalogue& catalogue);

// An initialization-string warning as JSON: code, severity, line, section
// (null where it has none) and message. The run and the check give the same.
nlohmann::ordered_json warning_json(const InitCheck& check, const InitWarning& warning);

// A driver message box as readable lines: its caption, then its text.
std::vector<std::string> describe_box(const std::string& caption, const std::string& text);
