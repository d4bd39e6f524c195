// Load, binding and step of the release library at plant scale, each beside
// its reference. Sizes: N records in each of the six tables, K controllers
// and K process variables. The program exits non-zero when the index and the
// entry-by-entry search bind any item differently.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/numbers.h"
#include "catalogue/tag_catalogue.h"
#include "corva/corva_control.h"
#include "diagnostics/init_check.h"
#include "dravlink/dravlink_control.h"
#include "driver/entry_points.h"
#include "emulator/dravlink.h"
#include "host_record.h"
#include "record/fields.h"

namespace {

bool bindings_differ = false;

const std::int64_t kLargest = MAXTAGS;
const std::vector<std::int64_t> kRecords = {1000, 4000, 16000, kLargest};
const std::vector<std::int64_t> kItems = {100, 1000, 10000};

// Name of record i of table t, as the generated string writes it.
std::string tag_name(int table, std::int64_t i) {
  static const char* const kPrefix[] = {"FI", "FIC", "XS", "XI", "HS", "RC"};
  static const char* const kSuffix[] = {".PV", ".OUT", "", "", "", ".CALC"};
  char digits[24];
  std::snprintf(digits, sizeof digits, "%05lld", static_cast<long long>(i));
  return std::string(kPrefix[table]) + digits + kSuffix[table];
}

// Data set of record i: most tags in data set 1, every seventh in 2.
std::int32_t data_set(std::int64_t i) { return i % 7 == 3 ? 2 : 1; }

// A plant's initialization string with n records in each table.
std::string plant_string(std::int64_t n) {
  std::string text = "Dravik tag list\n";
  for (int t = 0; t < TAG_TABLES; ++t) {
    text += std::string(TAG_KINDS[t].Header) + "\n";
    for (std::int64_t i = 0; i < n; ++i) {
      std::string ds = std::to_string(data_set(i));
      std::string name = tag_name(t, i);
      if (t == KIND_AI || t == KIND_AO) {
        text += name + ",Loop " + std::to_string(i) + " value," + ds + ",0.0,250.0\n";
      } else if (t == KIND_DCD) {
        text += name + ",Mode " + std::to_string(i) + "," + ds +
                ",0,1,2.5,3.5,4.5,5.5,6.5,7.5,8.5,9.5,10.5,11.5,12.5,13.5,14.5,15.5,16.5\n";
      } else {
        text += name + ",State " + std::to_string(i) + "," + ds + "\n";
      }
    }
  }
  return text;
}

const std::string& cached_plant_string(std::int64_t n) {
  static std::int64_t cached_n = -1;
  static std::string cached;
  if (cached_n != n) {
    cached = plant_string(n);
    cached_n = n;
  }
  return cached;
}

void offer(const std::string& text) {
  dravlink_set_init_string(text.data(), static_cast<std::int32_t>(text.size()));
}

// What a load that resizes each table for every record holds: exactly the
// entries and one block per name.
std::size_t exact_catalogue_bytes(std::int64_t n) {
  std::size_t names = 0;
  for (int t = 0; t < TAG_TABLES; ++t) {
    for (std::int64_t i = 0; i < n; ++i) names += tag_name(t, i).size() + 1;
  }
  std::size_t entries = 2 * sizeof(RangedTag) + 3 * sizeof(PlainTag) + sizeof(DcdTag);
  return names + static_cast<std::size_t>(n) * entries;
}

// ---- Load --------------------------------------------------------------

void load_with_heap(benchmark::State& state, CorvaHeapMode mode) {
  std::int64_t n = state.range(0);
  const std::string& text = cached_plant_string(n);
  corva_reset();
  corva_set_heap_mode(mode);
  dravlink_reset();
  offer(text);
  HostRecord record;
  std::size_t catalogue = 0;
  std::size_t peak = 0;
  for (auto _ : state) {
    // The record's own declarations are made and measured apart.
    state.PauseTiming();
    std::size_t before = corva_live_bytes();
    corva_reset();  // the peak starts again from what is live
    corva_set_heap_mode(mode);
    state.ResumeTiming();
    DCSLoad(record.get());
    state.PauseTiming();
    catalogue = corva_live_bytes() - before;
    peak = corva_peak_bytes() - before;
    DCSDestroy(record.get());
    state.ResumeTiming();
  }
  // The load's own blocks beside the record's declarations.
  HostRecord declared_only;
  offer("");
  std::size_t before = corva_live_bytes();
  DCSLoad(declared_only.get());
  std::size_t declarations = corva_live_bytes() - before;
  DCSDestroy(declared_only.get());
  offer(text);
  catalogue -= declarations;
  peak -= declarations;
  state.counters["catalogue_bytes"] = static_cast<double>(catalogue);
  state.counters["exact_bytes"] = static_cast<double>(exact_catalogue_bytes(n));
  state.counters["peak_bytes"] = static_cast<double>(peak);
  state.counters["string_bytes"] = static_cast<double>(text.size() + 1);
  corva_reset();
}

void BM_LoadPassthrough(benchmark::State& state) { load_with_heap(state, CORVA_HEAP_PASSTHROUGH); }

// The plant report's file, in a directory of its own that is removed at
// exit; the report is on while DRAVIK32_REPORT names the file.
class ReportSwitch {
 public:
  ReportSwitch() {
    char pattern[] = "/tmp/driver_bench.XXXXXX";
    if (mkdtemp(pattern) != nullptr) directory_ = pattern;
  }
  ~ReportSwitch() {
    if (!directory_.empty()) std::filesystem::remove_all(directory_);
  }
  ReportSwitch(const ReportSwitch&) = delete;
  ReportSwitch& operator=(const ReportSwitch&) = delete;

  void turn(bool on) {
    if (on && !directory_.empty()) {
      setenv("DRAVIK32_REPORT", (directory_ + "/report.txt").c_str(), 1);
    } else {
      unsetenv("DRAVIK32_REPORT");
    }
  }
  // The report grows with every run: each run starts a new one.
  void empty() const {
    if (!directory_.empty()) std::filesystem::remove(directory_ + "/report.txt");
  }

 private:
  std::string directory_;
};

ReportSwitch& report_switch() {
  static ReportSwitch the_switch;
  return the_switch;
}

// What a call leaves on the host's heap beyond what was live before it:
// its peak, and what stays live after it.
struct HeapUse {
  std::size_t peak;
  std::size_t kept;
};

// Times `call` alone, on the pass-through heap with its counts reset and the
// report file emptied beforehand.
template <typename Call>
HeapUse timed_on_fresh_heap(benchmark::State& state, Call call) {
  state.PauseTiming();
  report_switch().empty();
  std::size_t before = corva_live_bytes();
  corva_reset();
  corva_set_heap_mode(CORVA_HEAP_PASSTHROUGH);
  state.ResumeTiming();
  call();
  state.PauseTiming();
  HeapUse use = {corva_peak_bytes() - before, corva_live_bytes() - before};
  state.ResumeTiming();
  return use;
}

// DCSLoad with the plant report off (0) or on (1): the peak of the host's
// heap during the load, beside the string's length.
void BM_LoadReport(benchmark::State& state) {
  report_switch().turn(state.range(1) != 0);
  const std::string& text = cached_plant_string(state.range(0));
  corva_reset();
  dravlink_reset();
  offer(text);
  HostRecord record;
  std::size_t peak = 0;
  for (auto _ : state) {
    HeapUse use = timed_on_fresh_heap(state, [&record] { DCSLoad(record.get()); });
    peak = use.peak;
    state.PauseTiming();
    DCSDestroy(record.get());
    state.ResumeTiming();
  }
  report_switch().turn(false);
  state.counters["peak_bytes"] = static_cast<double>(peak);
  state.counters["string_bytes"] = static_cast<double>(text.size() + 1);
  corva_reset();
}

// The check of the string that the plant report and `dravik-host check`
// make, the reference being DCSLoad of the same string.
void BM_CheckString(benchmark::State& state) {
  const std::string& text = cached_plant_string(state.range(0));
  for (auto _ : state) {
    InitCheck check;
    TagCatalogue catalogue = {};
    check_init_string(check, catalogue, text.c_str(), static_cast<std::int32_t>(text.size()));
    benchmark::DoNotOptimize(check.Tokens.data());
    release_catalogue(catalogue);
  }
}
void BM_LoadMoving(benchmark::State& state) { load_with_heap(state, CORVA_HEAP_MOVING); }

// The floor for one pass: strpbrk from delimiter to delimiter over the string.
void BM_StrpbrkPass(benchmark::State& state) {
  const std::string& text = cached_plant_string(state.range(0));
  for (auto _ : state) {
    std::size_t pieces = 0;
    for (const char* p = text.c_str(); (p = std::strpbrk(p, ",;\n")) != nullptr; ++p) ++pieces;
    benchmark::DoNotOptimize(pieces);
  }
}

// ---- Binding and step --------------------------------------------------

// A loaded catalogue of n records per table and a record with k controllers
// and k process variables. Controllers name AO, DO, DCD and CALC tags in turn
// and process variables AI and DI tags; some names differ in case, and one
// item in ten (or none, or every one) names no tag at all: its tag has one
// letter too many.
enum Misses { MISS_NONE, MISS_ONE_IN_TEN, MISS_ALL };
struct Plant {
  explicit Plant(std::int64_t n, std::int64_t k, Misses misses = MISS_ONE_IN_TEN) : misses(misses) {
    corva_reset();
    corva_set_heap_mode(CORVA_HEAP_PASSTHROUGH);
    dravlink_reset();
    offer(cached_plant_string(n));
    DCSLoad(record.get());
    std::mt19937 random(static_cast<unsigned>(n + k));
    static const int kControllerTables[] = {1, 3, 4, 5};
    static const int kPointTables[] = {0, 2};
    for (std::int64_t i = 0; i < k; ++i) {
      add_item(true, kControllerTables[i % 4], n, random);
      add_item(false, kPointTables[i % 2], n, random);
    }
  }
  ~Plant() {
    DCSDestroy(record.get());
    corva_reset();
    dravlink_reset();
  }
  Plant(const Plant&) = delete;
  Plant& operator=(const Plant&) = delete;

  void add_item(bool controller, int table, std::int64_t n, std::mt19937& random) {
    std::int64_t i = static_cast<std::int64_t>(random() % static_cast<unsigned>(n));
    std::string name = tag_name(table, i);
    bool miss = random() % 10 == 0;
    if (misses == MISS_ALL || (misses == MISS_ONE_IN_TEN && miss)) name += "X";
    if (random() % 4 == 0) name[0] = static_cast<char>(name[0] - 'A' + 'a');
    if (controller) {
      record.add_controller(name.c_str(), data_set(i));
    } else {
      record.add_point(name.c_str(), data_set(i), 42.7);
    }
  }

  // Every item's code and index.
  std::vector<std::int32_t> bindings() {
    std::vector<std::int32_t> result;
    for (int i = 0; i < record.data().CtrlCnt; ++i) {
      result.push_back(slot_int(record.ctrl_slot(i, 2)));
      result.push_back(slot_int(record.ctrl_slot(i, 3)));
    }
    for (int i = 0; i < record.data().PVCnt; ++i) {
      result.push_back(slot_int(record.pv_slot(i, 2)));
      result.push_back(slot_int(record.pv_slot(i, 3)));
    }
    return result;
  }

  Misses misses;
  HostRecord record;
};

// DCSConfigure with the index's block refused binds entry by entry.
std::int32_t configure_linear(DCSData* data) {
  corva_fail_allocation(1, 0);
  std::int32_t result = DCSConfigure(data);
  corva_fail_allocation(0, 0);
  return result;
}

// Bindings of the index's way by sizes, for the entry-by-entry way to match.
std::map<std::pair<std::int64_t, std::int64_t>, std::vector<std::int32_t>>& indexed_bindings() {
  static std::map<std::pair<std::int64_t, std::int64_t>, std::vector<std::int32_t>> bindings;
  return bindings;
}

void configure(benchmark::State& state, bool indexed) {
  Plant plant(state.range(0), state.range(1));
  std::vector<std::int32_t> bound;
  for (auto _ : state) {
    std::int32_t result =
        indexed ? DCSConfigure(plant.record.get()) : configure_linear(plant.record.get());
    if (result != 1) state.SkipWithError("DCSConfigure refused the link");
    state.PauseTiming();
    bound = plant.bindings();
    state.ResumeTiming();
  }
  auto sizes = std::make_pair(state.range(0), state.range(1));
  if (indexed) {
    indexed_bindings()[sizes] = bound;
  } else if (indexed_bindings().count(sizes) != 0 && indexed_bindings()[sizes] != bound) {
    bindings_differ = true;
    state.SkipWithError("the index and the entry-by-entry search bind differently");
  }
  std::int64_t matched = 0;
  for (std::size_t i = 0; i < bound.size(); i += 2) matched += bound[i] != 0;
  state.counters["bound_items"] = static_cast<double>(matched);
}

void BM_Configure(benchmark::State& state) { configure(state, true); }

// DCSConfigure of K items (half of them controllers) of which none names a
// tag, with the plant report off (0) or on (1) from the load on: its time,
// and the peak of the host's heap during it and what it leaves live.
void BM_ConfigureReport(benchmark::State& state) {
  report_switch().turn(state.range(2) != 0);
  Plant plant(state.range(0), state.range(1) / 2, MISS_ALL);
  std::size_t peak = 0;
  std::size_t kept = 0;
  for (auto _ : state) {
    HeapUse use = timed_on_fresh_heap(state, [&] {
      if (DCSConfigure(plant.record.get()) != 1)
        state.SkipWithError("DCSConfigure refused the link");
    });
    peak = use.peak;
    kept = use.kept;
  }
  report_switch().turn(false);
  state.counters["peak_bytes"] = static_cast<double>(peak);
  state.counters["kept_bytes"] = static_cast<double>(kept);
  state.counters["string_bytes"] =
      static_cast<double>(cached_plant_string(state.range(0)).size() + 1);
}
void BM_ConfigureLinear(benchmark::State& state) { configure(state, false); }

void BM_Simulate(benchmark::State& state) {
  Plant plant(kLargest, state.range(0), MISS_NONE);
  DCSConfigure(plant.record.get());
  dravlink_set_lean(1);
  for (auto _ : state) DCSSimulate(plant.record.get());
  state.counters["calls"] = static_cast<double>(2 * state.range(0));
}

// The calls of one step as the driver made them, replayed with the same
// arguments: data set, tag pointer, handle address and, where the driver
// passes the record's own value, that address. Which function and which
// handle address each item gets is worked out beforehand, which is the step's
// own work. With `from_record`, the data set and the tag are read from the
// item's slots as the step must read them, so the ratio to the step is the
// step's own code; without it they come from a packed array, which also
// counts the reading of the host's record against the step.
void bare_calls(benchmark::State& state, bool from_record) {
  Plant plant(kLargest, state.range(0), MISS_NONE);
  DCSConfigure(plant.record.get());
  dravlink_clear_calls();
  DCSSimulate(plant.record.get());
  struct Call {
    int ordinal;
    std::int32_t ds;
    char* tag;
    std::int32_t* handle;
    double* real;
    const DCSCtrl* ctrl;  // the item the call is for: a controller
    const DCSPoint* pv;   // or a process variable
  };
  DCSData& data = plant.record.data();
  std::vector<Call> calls;
  for (int i = 0; i < dravlink_call_count(); ++i) {
    const DravlinkCall& made = *dravlink_call(i);
    // Every item is bound: controllers first, then process variables.
    const DCSCtrl* ctrl = i < data.CtrlCnt ? &data.Ctrl[i] : nullptr;
    const DCSPoint* pv = ctrl == nullptr ? &data.PV[i - data.CtrlCnt] : nullptr;
    if (slot_text((ctrl != nullptr ? ctrl->Fields : pv->Fields)[0]) != made.tag) {
      state.SkipWithError("a call for another item");
    }
    calls.push_back({made.ordinal, made.ds, const_cast<char*>(made.tag), made.handle,
                     static_cast<double*>(const_cast<void*>(made.value)), ctrl, pv});
  }
  dravlink_set_lean(1);
  for (auto _ : state) {
    for (const Call& call : calls) {
      std::int32_t status = -1;
      std::int32_t integer = 0;
      std::int32_t ds = call.ds;
      char* tag = call.tag;
      if (from_record) {
        const DCSValue* fields = call.ctrl != nullptr ? call.ctrl->Fields : call.pv->Fields;
        ds = slot_int(fields[SLOT_DS]);
        tag = slot_text(fields[SLOT_TAG]);
      }
      switch (call.ordinal) {
        case ORDINAL_WRITE_ANALOG_IN:
          EmuWriteAnalogIn(ds, tag, call.handle, call.real, &status);
          break;
        case ORDINAL_READ_ANALOG_OUT:
          EmuReadAnalogOut(ds, tag, call.handle, call.real, &status);
          break;
        case ORDINAL_WRITE_DISCRETE_IN:
          EmuWriteDiscreteIn(ds, tag, call.handle, &integer, &status);
          break;
        case ORDINAL_READ_DISCRETE_OUT:
          EmuReadDiscreteOut(ds, tag, call.handle, &integer, &status);
          break;
        case ORDINAL_READ_DCD_STATE:
          EmuReadDcdState(ds, tag, call.handle, &integer, &status);
          break;
        default:
          EmuReadCalc(ds, tag, call.handle, call.real, &status);
          break;
      }
      benchmark::DoNotOptimize(status);
    }
  }
  state.counters["calls"] = static_cast<double>(calls.size());
}

void BM_BareCalls(benchmark::State& state) { bare_calls(state, true); }
void BM_BareCallsPacked(benchmark::State& state) { bare_calls(state, false); }

void record_sizes(benchmark::internal::Benchmark* b) {
  for (std::int64_t n : kRecords) b->Arg(n);
}
// ---- Reals ---------------------------------------------------------------

// The real tokens of a plant's string: limits, state values, exponents and a
// long digit run, each as the loader hands it over.
const char* const REAL_TOKENS[] = {
    "0.0",    "250.0",  "-50",   "4.5E2", "16.5",
    "1.5e3",  "0.001",  "100",   "-0.5",  "12345.678",
    "2.5d-3", "  7.25", "1e308", "abc",   "3.14159265358979323846264"};

// One pass over the tokens per iteration; reported per token.
template <typename Read>
void read_reals(benchmark::State& state, Read read) {
  double sum = 0.0;
  for (auto _ : state) {
    for (const char* token : REAL_TOKENS) sum += read(token);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(std::size(REAL_TOKENS)));
}

void BM_ParseReal(benchmark::State& state) {
  read_reals(state, [](const char* token) { return parse_real(token); });
}

// The C library's reading in the "C" locale, the reference.
void BM_Strtod(benchmark::State& state) {
  read_reals(state, [](const char* token) { return std::strtod(token, nullptr); });
}

void binding_sizes(benchmark::internal::Benchmark* b) {
  for (std::int64_t n : kRecords) {
    for (std::int64_t k : kItems) b->Args({n, k});
  }
}
// The report's sizes at the largest catalogue, and the smallest for the
// tests' run.
void report_sizes(benchmark::internal::Benchmark* b) {
  for (int on : {0, 1}) {
    b->Args({1000, 100, on});
    for (std::int64_t k : {1000, 10000}) b->Args({kLargest, k, on});
  }
}
void load_report_sizes(benchmark::internal::Benchmark* b) {
  for (int on : {0, 1}) {
    for (std::int64_t n : {std::int64_t{1000}, kLargest}) b->Args({n, on});
  }
}
void item_sizes(benchmark::internal::Benchmark* b) {
  for (std::int64_t k : kItems) b->Arg(k);
}

BENCHMARK(BM_StrpbrkPass)->Apply(record_sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPassthrough)->Apply(record_sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMoving)->Apply(record_sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Configure)->Apply(binding_sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConfigureLinear)->Apply(binding_sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadReport)->Apply(load_report_sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConfigureReport)->Apply(report_sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckString)->Apply(record_sizes)->Unit(benchmark::kMillisecond);
// A step takes microseconds, so other work on the machine moves it most:
// more and shorter repetitions give a least time that stands still.
void step_sizes(benchmark::internal::Benchmark* b) {
  item_sizes(b);
  b->Repetitions(12)->MinTime(0.05)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ParseReal)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Strtod)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Simulate)->Apply(step_sizes);
BENCHMARK(BM_BareCalls)->Apply(step_sizes);
BENCHMARK(BM_BareCallsPacked)->Apply(step_sizes);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return bindings_differ ? 1 : 0;
}
