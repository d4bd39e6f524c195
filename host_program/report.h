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

class Report {
 public:
  Report(std::FILE* out, bool csv) : out_(out), csv_(csv) {}

  void note(const std::string& text);
  void columns(const std::vector<std::string>& names);
  // One row; an empty cell where a value has no meaning.
  void row(const std::vector<std::optional<double>>& cells);

 private:
  std::FILE* out_;
  bool csv_;
  std::vector<std::size_t> widths_;
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
