#include "plot.h"

#include "host_platform.h"
#include "text_list.h"

namespace {

// Text inside a gnuplot string in double quotes.
std::string gnuplot_string(const std::string& text) {
  std::string quoted = "\"";
  for (char c : escaped(text)) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

bool ends_with(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

Plot::~Plot() {
  if (pipe_ != nullptr) close_pipe(pipe_);
}

bool Plot::columns(const std::string& title, const std::vector<Column>& columns,
                   std::string& error) {
  columns_ = columns;
  failed_.assign(columns.size(), false);
  title_ = title;
  pipe_ = open_pipe("gnuplot");
  if (pipe_ == nullptr) {
    error = "cannot start gnuplot";
    return false;
  }
  bool png = ends_with(file_, ".png") || ends_with(file_, ".PNG");
  std::fprintf(pipe_, "set terminal %s size 1000,700 noenhanced font \"sans,11\"\n",
               png ? "pngcairo" : "svg");
  std::fprintf(pipe_, "set output %s\n", gnuplot_string(file_).c_str());
  // The rows: time, then one value per column, a reading followed by its
  // verdict; NaN where nothing crossed.
  std::fprintf(pipe_, "$run << EOD\n");
  return true;
}

void Plot::row(const std::vector<Cell>& cells) {
  if (pipe_ == nullptr) return;
  std::string line;
  for (std::size_t i = 1; i < cells.size() && i < columns_.size(); ++i) {
    char value[40] = "NaN";
    bool read = !columns_[i].inactive;
    if (cells[i].value && read) std::snprintf(value, sizeof value, "%.10g", *cells[i].value);
    add_to_list(line, value, " ");
    if (columns_[i].reading) add_to_list(line, cells[i].valid || !read ? "1" : "0", " ");
    if (columns_[i].reading && read && !cells[i].valid) failed_[i] = true;
  }
  std::fprintf(pipe_, "%s\n", line.c_str());
}

bool Plot::finish(std::string& error) {
  if (pipe_ == nullptr) return true;
  std::fprintf(pipe_, "EOD\n");
  std::string values;
  std::string readings;
  int field = 2;  // gnuplot counts from 1; the time is field 1
  int value_lines = 0;
  int reading_lines = 0;
  for (std::size_t i = 2; i < columns_.size(); ++i, ++field) {
    const Column& column = columns_[i];
    if (!column.reading) {
      add_to_list(values, "$run using 1:" + std::to_string(field) + " with lines lw 2 lt " +
                              std::to_string(++value_lines) + " title " +
                              gnuplot_string(column.name));
      continue;
    }
    if (column.inactive) {
      // Nothing to draw: the key alone says the controller is not read.
      add_to_list(readings, "NaN with lines lw 2 lt " + std::to_string(++reading_lines) +
                                " title " + gnuplot_string(column.name + " (inactive, not read)"));
      ++field;
      continue;
    }
    // A valid reading draws the line; a failed one breaks it and is marked.
    std::string value = "$" + std::to_string(field);
    std::string ok = "$" + std::to_string(field + 1);
    add_to_list(readings, "$run using 1:(" + ok + " != 0 ? " + value +
                              " : NaN) with lines lw 2 lt " + std::to_string(++reading_lines) +
                              " title " + gnuplot_string(column.name));
    if (failed_[i]) {
      add_to_list(readings, "$run using 1:(" + ok + " == 0 ? " + value +
                                " : NaN) with points pt 2 ps 1.2 lc rgb \"red\" title " +
                                gnuplot_string(column.name + ": read failed"));
    }
    ++field;
  }
  std::fprintf(pipe_,
               "set multiplot layout 2,1 title %s\n"
               "set key outside right top\nset grid\nset xlabel \"time (s)\"\n"
               "set title \"process variables: what the emulator received\"\n"
               "plot %s\n"
               "set title \"controllers: what the driver read (x: the read failed)\"\n"
               "plot %s\n"
               "unset multiplot\n",
               gnuplot_string(title_).c_str(), values.empty() ? "NaN notitle" : values.c_str(),
               readings.empty() ? "NaN notitle" : readings.c_str());
  int status = close_pipe(pipe_);
  pipe_ = nullptr;
  if (status != 0) {
    error = "gnuplot failed to write " + file_;
    return false;
  }
  return true;
}
