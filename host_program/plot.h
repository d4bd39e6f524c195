// A picture of the run drawn by gnuplot: every process variable in one
// panel, every controller's reading in another, against time. A failed read
// breaks the controller's line and is marked with a red cross at the value
// the controller holds; only a controller with a failed read gets the marks.
// An inactive controller, never read, has only its key: "(inactive, not
// read)". The rows go to gnuplot as they come, so the program keeps none of
// them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "report.h"

class Plot {
 public:
  // The picture is SVG, or PNG when the file's name ends in .png.
  explicit Plot(std::string file) : file_(std::move(file)) {}
  ~Plot();
  Plot(const Plot&) = delete;
  Plot& operator=(const Plot&) = delete;

  // Starts gnuplot; false, with `error` set, when it cannot be started.
  bool columns(const std::string& title, const std::vector<Column>& columns, std::string& error);
  void row(const std::vector<Cell>& cells);
  // Draws the picture; false, with `error` set, when gnuplot failed.
  bool finish(std::string& error);

 private:
  std::string file_;
  std::string title_;
  std::vector<Column> columns_;
  std::vector<bool> failed_;  // a reading that failed at least once
  std::FILE* pipe_ = nullptr;
};
