#include "case_file.h"
#include "text_list.h"

#include <toml++/toml.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <sstream>

namespace {

std::string located(const std::string& file, int line, const std::string& what) {
  return line > 0 ? file + ":" + std::to_string(line) + ": " + what : file + ": " + what;
}

// Reads one TOML table of the case, checking every key it is given against
// what the table may hold.
class TableReader {
 public:
  TableReader(const std::string& file, const toml::table& table, const char* what,
              std::set<std::string> keys)
      : file_(file), table_(table), what_(what), keys_(std::move(keys)) {
    for (const auto& [key, node] : table_) {
      if (!keys_.count(std::string(key.str()))) {
        fail(node, "unknown key '" + std::string(key.str()) + "' in " + what_);
      }
    }
  }

  [[noreturn]] void fail(const toml::node& node, const std::string& what) const {
    throw InputError(file_, static_cast<int>(node.source().begin.line), what);
  }
  [[noreturn]] void fail(const std::string& what) const { fail(table_, what); }

  int line() const { return static_cast<int>(table_.source().begin.line); }

  const toml::node* find(const char* key) const { return table_.get(key); }

  std::string text(const char* key, const char* fallback = nullptr) const {
    const toml::node* node = find(key);
    if (node == nullptr) {
      if (fallback == nullptr) fail(what_ + " needs '" + key + "'");
      return fallback;
    }
    if (!node->is_string()) fail(*node, "'" + std::string(key) + "' must be a string");
    return node->as_string()->get();
  }

  std::int64_t integer(const char* key, std::int64_t low, std::int64_t high,
                       const std::int64_t* fallback = nullptr) const {
    const toml::node* node = find(key);
    if (node == nullptr) {
      if (fallback == nullptr) fail(what_ + " needs '" + key + "'");
      return *fallback;
    }
    if (!node->is_integer()) fail(*node, "'" + std::string(key) + "' must be an integer");
    std::int64_t value = node->as_integer()->get();
    if (low == 0 && value < 0) fail(*node, "'" + std::string(key) + "' must not be negative");
    if (value < low || value > high) {
      fail(*node, "'" + std::string(key) + "' must lie between " + std::to_string(low) + " and " +
                      std::to_string(high) + ", not " + std::to_string(value));
    }
    return value;
  }

  double real(const char* key, const double* fallback = nullptr) const {
    const toml::node* node = find(key);
    if (node == nullptr) {
      if (fallback == nullptr) fail(what_ + " needs '" + key + "'");
      return *fallback;
    }
    if (node->is_integer()) return static_cast<double>(node->as_integer()->get());
    if (!node->is_floating_point()) fail(*node, "'" + std::string(key) + "' must be a number");
    double value = node->as_floating_point()->get();
    if (!std::isfinite(value)) fail(*node, "'" + std::string(key) + "' must be a finite number");
    return value;
  }

  // A number of at least 0 (positive: above 0).
  double measure(const char* key, double fallback, bool positive) const {
    double value = real(key, &fallback);
    if (positive ? !(value > 0.0) : value < 0.0) {
      const toml::node* node = find(key);
      std::string what = "'";
      what += key;
      what += positive ? "' must be positive" : "' must be zero or more";
      if (node != nullptr) fail(*node, what);
      fail(what);
    }
    return value;
  }

  double real(const char* key, double fallback) const { return real(key, &fallback); }

  bool boolean(const char* key, bool fallback) const {
    const toml::node* node = find(key);
    if (node == nullptr) return fallback;
    if (!node->is_boolean()) fail(*node, "'" + std::string(key) + "' must be true or false");
    return node->as_boolean()->get();
  }

  // One of the given words.
  template <typename T>
  T choice(const char* key, const std::map<std::string, T>& words, T fallback) const {
    const toml::node* node = find(key);
    if (node == nullptr) return fallback;
    std::string word = text(key);
    auto found = words.find(word);
    if (found == words.end()) {
      std::string known;
      for (const auto& entry : words) add_to_list(known, entry.first);
      fail(*node, "'" + std::string(key) + "' must be one of " + known + ", not '" + word + "'");
    }
    return found->second;
  }

  TagRef tag_ref(const char* key, std::initializer_list<DravlinkKind> allowed) const {
    std::string written = text(key);
    const toml::node& node = *find(key);
    std::size_t first = written.find(':');
    std::size_t second = first == std::string::npos ? first : written.find(':', first + 1);
    if (second == std::string::npos || second + 1 == written.size()) {
      fail(node, "'" + std::string(key) + "' must read SECTION:DS:TAG, not '" + written + "'");
    }
    std::string section = written.substr(0, first);
    std::string ds = written.substr(first + 1, second - first - 1);
    TagRef ref{DRAVLINK_AI, 0, written.substr(second + 1),
               static_cast<int>(node.source().begin.line)};
    bool known = false;
    for (DravlinkKind kind : allowed) {
      if (section == kind_name(kind)) {
        ref.kind = kind;
        known = true;
      }
    }
    if (!known) {
      std::string names;
      for (DravlinkKind kind : allowed) add_to_list(names, kind_name(kind), " or ");
      fail(node,
           "'" + std::string(key) + "' must name a tag of " + names + ", not '" + section + "'");
    }
    std::size_t used = 0;
    long long number = 0;
    try {
      number = std::stoll(ds, &used, 10);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used != ds.size() || number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::int32_t>::max()) {
      fail(node, "the data set of '" + written + "' must be a 32-bit integer");
    }
    ref.ds = static_cast<std::int32_t>(number);
    return ref;
  }

 private:
  std::string file_;
  const toml::table& table_;
  std::string what_;
  std::set<std::string> keys_;
};

// Every [[name]] table of the case, each read by `read`.
template <typename Read>
void each_table(const std::string& file, const toml::table& parent, const char* name, Read read) {
  const toml::node* node = parent.get(name);
  if (node == nullptr) return;
  const toml::array* array = node->as_array();
  if (array == nullptr) {
    throw InputError(file, static_cast<int>(node->source().begin.line),
                     std::string("'") + name + "' must be a list of tables ([[" + name + "]])");
  }
  for (const toml::node& element : *array) {
    const toml::table* table = element.as_table();
    if (table == nullptr) {
      throw InputError(file, static_cast<int>(element.source().begin.line),
                       std::string("each '") + name + "' must be a table");
    }
    read(*table);
  }
}

constexpr std::int64_t kInt32Low = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32High = std::numeric_limits<std::int32_t>::max();

const std::map<std::string, Drives> kDrives = {
    {"nothing", Drives::Nothing}, {"valve", Drives::Valve}, {"pump", Drives::Pump}};
const std::map<std::string, Signal> kSignals = {{"level", Signal::Level},
                                                {"inflow", Signal::Inflow},
                                                {"outflow", Signal::Outflow},
                                                {"pump", Signal::Pump}};

// Names identify items in the report, so each names one item. Checked in
// the file's order, so the second of two items is the one reported.
class ItemNames {
 public:
  explicit ItemNames(const std::string& file) : file_(file) {}
  void add(const std::string& name, int line) { items_.emplace(line, name); }
  void check() const {
    std::map<std::string, int> first;
    for (const auto& [line, name] : items_) {
      auto [it, added] = first.emplace(name, line);
      if (!added) {
        throw InputError(
            file_, line,
            "duplicate item '" + name + "' (first at line " + std::to_string(it->second) + ")");
      }
    }
  }

 private:
  std::string file_;
  std::multimap<int, std::string> items_;
};

void read_items(const std::string& name, const toml::table& root, Case& result) {
  ItemNames names(name);
  const std::int64_t one = 1;
  each_table(name, root, "controller", [&](const toml::table& table) {
    TableReader item(name, table, "a controller", {"name", "tag", "ds", "active", "drives"});
    ControllerItem c{item.text("name"), item.text("tag"),
                     static_cast<std::int32_t>(item.integer("ds", kInt32Low, kInt32High, &one)),
                     item.boolean("active", true), item.choice("drives", kDrives, Drives::Nothing)};
    names.add(c.name, item.line());
    result.controllers.push_back(c);
  });
  each_table(name, root, "process_variable", [&](const toml::table& table) {
    TableReader item(name, table, "a process variable", {"name", "tag", "ds", "active", "source"});
    PointItem p{item.text("name"),
                item.text("tag"),
                static_cast<std::int32_t>(item.integer("ds", kInt32Low, kInt32High, &one)),
                item.boolean("active", true),
                Signal::Constant,
                0.0};
    const toml::node* source = item.find("source");
    if (source != nullptr && source->is_number()) {
      p.constant = item.real("source");
    } else {
      p.source = item.choice("source", kSignals, Signal::Constant);
      if (source == nullptr) item.fail("a process variable needs a 'source'");
    }
    names.add(p.name, item.line());
    result.points.push_back(p);
  });
  names.check();
}

void read_emulator(const std::string& name, const toml::table& emulator, Case& result) {
  TableReader section(name, emulator, "[emulator]", {"pi", "switch", "scale", "state"});
  each_table(name, emulator, "pi", [&](const toml::table& table) {
    TableReader rule(
        name, table, "an emulator pi rule",
        {"measurement", "output", "setpoint", "gain", "reset_seconds", "action", "bias"});
    result.pi_rules.push_back(
        {rule.tag_ref("measurement", {DRAVLINK_AI}), rule.tag_ref("output", {DRAVLINK_AO}),
         rule.real("setpoint"), rule.real("gain"), rule.real("reset_seconds"),
         rule.choice<bool>("action", {{"direct", true}, {"reverse", false}}, false),
         rule.real("bias", 0.0)});
    if (result.pi_rules.back().reset_seconds <= 0.0) {
      rule.fail(*rule.find("reset_seconds"), "'reset_seconds' must be positive");
    }
  });
  each_table(name, emulator, "switch", [&](const toml::table& table) {
    TableReader rule(name, table, "an emulator switch rule",
                     {"measurement", "output", "on_below", "off_above"});
    result.switch_rules.push_back({rule.tag_ref("measurement", {DRAVLINK_AI}),
                                   rule.tag_ref("output", {DRAVLINK_DO}), rule.real("on_below"),
                                   rule.real("off_above")});
  });
  each_table(name, emulator, "scale", [&](const toml::table& table) {
    TableReader rule(name, table, "an emulator scale rule", {"input", "output", "gain", "offset"});
    result.scale_rules.push_back({rule.tag_ref("input", {DRAVLINK_AI}),
                                  rule.tag_ref("output", {DRAVLINK_CALC, DRAVLINK_AO}),
                                  rule.real("gain"), rule.real("offset", 0.0)});
  });
  each_table(name, emulator, "state", [&](const toml::table& table) {
    TableReader rule(name, table, "an emulator state rule",
                     {"input", "output", "state_off", "state_on"});
    const std::int64_t off = 1;
    const std::int64_t on = 2;
    result.state_rules.push_back(
        {rule.tag_ref("input", {DRAVLINK_DI}), rule.tag_ref("output", {DRAVLINK_DCD}),
         static_cast<std::int32_t>(rule.integer("state_off", kInt32Low, kInt32High, &off)),
         static_cast<std::int32_t>(rule.integer("state_on", kInt32Low, kInt32High, &on))});
  });
}

}  // namespace

InputError::InputError(const std::string& file, int line, const std::string& what)
    : std::runtime_error(located(file, line, what)) {}

const char* kind_name(DravlinkKind kind) { return TAG_KINDS[kind].Name; }

std::string read_text_file(const std::filesystem::path& file, const char* what) {
  // A directory opens as a stream on some systems and reads as empty.
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) {
    throw InputError(file.string(), 0, std::string("cannot read ") + what + ": it is a directory");
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    throw InputError(file.string(), 0,
                     std::string("cannot open ") + what + ": " + std::strerror(errno));
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw InputError(file.string(), 0, std::string("cannot read ") + what);
  return text.str();
}

Case read_case(const std::filesystem::path& file) {
  const std::string name = file.string();
  std::string text = read_text_file(file, "the case file");
  toml::table root;
  try {
    root = toml::parse(text, name);
  } catch (const toml::parse_error& error) {
    throw InputError(name, static_cast<int>(error.source().begin.line),
                     std::string(error.description()));
  }

  Case result;
  result.file = file;
  TableReader top(name, root, "the case",
                  {"title", "init_string", "steps", "step_seconds", "tank", "controller",
                   "process_variable", "emulator"});
  result.title = top.text("title", "");
  result.init_string = file.parent_path() / top.text("init_string");
  const std::int64_t no_steps = 0;
  result.steps = top.integer("steps", 0, std::numeric_limits<std::int32_t>::max(), &no_steps);
  result.step_seconds = top.measure("step_seconds", 1.0, true);

  if (const toml::node* tank = root.get("tank")) {
    if (!tank->is_table()) top.fail(*tank, "'tank' must be a table");
    TableReader plant(name, *tank->as_table(), "[tank]",
                      {"area_m2", "level_m", "pump_flow_m3s", "valve_cv", "pump_running"});
    Tank defaults;
    result.tank = {plant.measure("area_m2", defaults.area_m2, true),
                   plant.measure("level_m", defaults.level_m, false),
                   plant.measure("pump_flow_m3s", defaults.pump_flow_m3s, false),
                   plant.measure("valve_cv", defaults.valve_cv, false),
                   plant.boolean("pump_running", defaults.pump_running)};
  }
  read_items(name, root, result);
  if (const toml::node* emulator = root.get("emulator")) {
    if (!emulator->is_table()) top.fail(*emulator, "'emulator' must be a table");
    read_emulator(name, *emulator->as_table(), result);
  }
  return result;
}
