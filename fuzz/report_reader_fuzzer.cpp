// Arbitrary bytes through the plant report's reader: it must never crash,
// hang or read out of bounds, every string it accepts has the length its
// load recorded, and the same report with CRLF line ends reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <variant>

#include "diagnostics/plant_report_reader.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  PlantReport report = read_plant_report(text);
  for (const ReportEvent& event : report.events) {
    if (const auto* load = std::get_if<ReportLoad>(&event); load != nullptr && load->text) {
      require(load->text->size() == static_cast<std::size_t>(load->length));
    }
    if (const auto* configure = std::get_if<ReportConfigure>(&event)) {
      require(configure->result == 0 || configure->result == 1);
    }
  }
  // A carriage return that a line end gains changes nothing, unless the
  // text already held one there.
  std::string crlf;
  for (char c : text) {
    if (c == '\r') return 0;
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  PlantReport again = read_plant_report(crlf);
  require(again.events.size() == report.events.size());
  require(again.fault.has_value() == report.fault.has_value());
  if (report.fault) require(again.fault->line == report.fault->line);
  return 0;
}
