// What the stand-in host prints: notes (the catalogue, the bindings, the
// driver's messages) and one row per step, as a readable table or as CSV
// whose notes are comment lines.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "case_file.h"
#include "catalogue/tag_catalogue.h"

// One column of the step table. A reading is a controller's value with its
// verdict: in CSV it takes two columns (the value, and "<name> ok" with 1 or
// 0); in the table one, with a failed reading shown in brackets.
struct Column {
  std::string name;
  bool reading = false;
};

struct Cell {
  std::optional<double> value;  // none: nothing crossed
  bool valid = true;            // a reading's verdict
};

class Report {
 public:
  Report(std::FILE* out, bool csv) : out_(out), csv_(csv) {}

  void note(const std::string& text);
  void columns(const std::vector<Column>& columns);
  void row(const std::vector<Cell>& cells);

 private:
  std::FILE* out_;
  bool csv_;
  std::vector<Column> columns_;
  std::vector<int> widths_;
};

// "AI 4, AO 2, ..." for the six tables.
std::string catalogue_summary(const TagCatalogue& catalogue);

// Which table a binding code names for a controller or a process variable.
const char* bound_table(bool controller, std::int32_t code);

// Why an item matched no entry, from the catalogue the emulator offers.
std::string unbound_reason(const TagCatalogue& catalogue, bool controller, const std::string& tag,
                           std::int32_t ds);

// A driver message box as readable lines: its caption, then its text.
std::vector<std::string> describe_box(const std::string& caption, const std::string& text);
