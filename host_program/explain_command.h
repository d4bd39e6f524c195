// dravik-host explain: replays a plant report's facts as the driver lived
// them, with the driver's own loader and binding, and says for each entry
// point what the driver's load read, why each item is bound or not, and
// which reads failed.
#pragma once

#include <string>

#include "case_file.h"
#include "diagnostics/plant_report_reader.h"

// Runs `dravik-host explain`; argv[0] is "explain". Returns the exit status.
int run_explain(int argc, char** argv);

// The report in file `path`, read; throws InputError when the file cannot
// be read. A fault inside it is left in the result.
PlantReport read_plant_report_file(const std::string& path);

// A case's items: those of a TOML case, or of a plant report's last
// DCSConfigure (each named by its index), so that an integrator can check a
// new string against the plant's real items. Throws InputError.
Case read_case_or_report(const std::string& path);
