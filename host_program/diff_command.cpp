#include "diff_command.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "case_file.h"
#include "catalogue/binding.h"
#include "catalogue/tag_index.h"
#include "check_command.h"
#include "command_line.h"
#include "diagnostics/bindings.h"
#include "diagnostics/folded_text.h"
#include "diagnostics/similar_names.h"
#include "exit_status.h"
#include "explain_command.h"
#include "report.h"

namespace {

// A catalogue entry of one string: its table, its index there, and the line
// of the string where its record begins.
struct DiffTag {
  int kind;
  std::int32_t index;
  const char* name;
  std::int32_t ds;
  std::int32_t line;
};

// One string, read as the driver reads it, with its entries in table order
// and an index for the binding.
struct Side {
  std::string file;
  std::string text;
  std::unique_ptr<InitStringCheck> read;
  std::vector<DiffTag> tags;
  std::int32_t first[TAG_TABLES]{};  // position in `tags` of each table's first entry
  TagIndex index{};
  bool indexed = false;

  const TagCatalogue& catalogue() const { return read->catalogue; }
  ~Side() {
    if (indexed) release_tag_index(index);
  }
};

// The record lines of every entry, from the check's name tokens.
void collect_tags(Side& side) {
  const InitCheck& check = side.read->check;
  std::int32_t position = 0;
  for_each_kind(side.read->catalogue, [&](const auto& table, int kind) {
    side.first[kind] = position;
    for (std::int32_t i = 0; i < table.Count; ++i) {
      side.tags.push_back({kind, i, table.Entries[i].Name, table.Entries[i].Id, 0});
    }
    position += table.Count;
  });
  for (std::int32_t t = 0; t < init_token_count(check); ++t) {
    if (init_token_role(check, t) != ROLE_NAME) continue;
    const InitToken token = init_token(check, t);
    if (token.Entry < 0 || token.Section < 0) continue;
    side.tags[static_cast<std::size_t>(side.first[token.Section] + token.Entry)].line = token.Line;
  }
}

// The key under which two entries are one and the same tag.
std::string same_tag_key(const DiffTag& tag) {
  return case_folded(tag.name) + '\0' + std::to_string(tag.kind) + ':' + std::to_string(tag.ds);
}

enum class Change { Removed, Added, Moved, Renamed };

const char* change_word(Change change) {
  switch (change) {
    case Change::Removed:
      return "removed";
    case Change::Added:
      return "added";
    case Change::Moved:
      return "moved";
    default:
      return "renamed";
  }
}

struct TagChange {
  Change what;
  const DiffTag* old;  // null when added
  const DiffTag* now;  // null when removed
  // Where it is listed: the old entry's table and line, the new one's for
  // an added tag.
  const DiffTag& place() const { return old != nullptr ? *old : *now; }
};

// Pairs the entries of both strings: the same tag on both sides first, then
// the same name elsewhere (moved), then a removed and an added tag of one
// table and data set with similar names (renamed). Linear in the entries:
// hashing throughout, and the similar names through an index of the added
// names' deletion variants.
class TagPairing {
 public:
  TagPairing(const Side& old_side, const Side& new_side)
      : old_(old_side),
        new_(new_side),
        old_partner_(old_side.tags.size(), -1),
        new_taken_(new_side.tags.size(), false) {
    pair_same();
    pair_moved();
    pair_renamed();
    collect();
  }

  const std::vector<TagChange>& changes() const { return changes_; }
  // The new entry an old one was renamed to, or null.
  const DiffTag* renamed_to(int kind, std::int32_t index) const {
    std::size_t at = static_cast<std::size_t>(old_.first[kind] + index);
    return renamed_[at] ? &new_.tags[static_cast<std::size_t>(old_partner_[at])] : nullptr;
  }

 private:
  void take(std::size_t old_at, std::size_t new_at) {
    old_partner_[old_at] = static_cast<std::int32_t>(new_at);
    new_taken_[new_at] = true;
  }

  void pair_same() {
    std::unordered_map<std::string, std::vector<std::size_t>> waiting;
    for (std::size_t n = new_.tags.size(); n-- > 0;)
      waiting[same_tag_key(new_.tags[n])].push_back(n);
    for (std::size_t o = 0; o < old_.tags.size(); ++o) {
      auto found = waiting.find(same_tag_key(old_.tags[o]));
      if (found == waiting.end() || found->second.empty()) continue;
      take(o, found->second.back());
      found->second.pop_back();
    }
  }

  void pair_moved() {
    std::unordered_map<std::string, std::vector<std::size_t>> waiting;
    for (std::size_t n = new_.tags.size(); n-- > 0;) {
      if (!new_taken_[n]) waiting[case_folded(new_.tags[n].name)].push_back(n);
    }
    moved_.assign(old_.tags.size(), false);
    for (std::size_t o = 0; o < old_.tags.size(); ++o) {
      if (old_partner_[o] >= 0) continue;
      auto found = waiting.find(case_folded(old_.tags[o].name));
      if (found == waiting.end() || found->second.empty()) continue;
      take(o, found->second.back());
      found->second.pop_back();
      moved_[o] = true;
    }
  }

  void pair_renamed() {
    renamed_.assign(old_.tags.size(), false);
    std::vector<std::string_view> names;
    std::vector<std::size_t> added;
    for (std::size_t n = 0; n < new_.tags.size(); ++n) {
      if (new_taken_[n]) continue;
      names.push_back(new_.tags[n].name);
      added.push_back(n);
    }
    if (added.empty()) return;
    SimilarNames index(names);
    // The added names of each group, in the string's order.
    std::unordered_map<std::int32_t, std::vector<std::size_t>> members;
    for (std::size_t a = 0; a < added.size(); ++a) {
      members[index.group(static_cast<std::int32_t>(a))].push_back(added[a]);
    }
    for (std::size_t o = 0; o < old_.tags.size(); ++o) {
      if (old_partner_[o] >= 0) continue;
      const DiffTag& removed = old_.tags[o];
      std::size_t best = SIZE_MAX;
      for (auto [group, same] : index.probe(removed.name)) {
        if (same) continue;
        // The first added name of the group still free, of the same table
        // and data set.
        for (std::size_t n : members.at(group)) {
          const DiffTag& tag = new_.tags[n];
          if (new_taken_[n] || tag.kind != removed.kind || tag.ds != removed.ds) continue;
          best = std::min(best, n);
          break;
        }
      }
      if (best == SIZE_MAX) continue;
      take(o, best);
      renamed_[o] = true;
    }
  }

  void collect() {
    for (std::size_t o = 0; o < old_.tags.size(); ++o) {
      const DiffTag* old_tag = &old_.tags[o];
      if (old_partner_[o] < 0) {
        changes_.push_back({Change::Removed, old_tag, nullptr});
      } else if (moved_[o] || renamed_[o]) {
        changes_.push_back({moved_[o] ? Change::Moved : Change::Renamed, old_tag,
                            &new_.tags[static_cast<std::size_t>(old_partner_[o])]});
      }
    }
    for (std::size_t n = 0; n < new_.tags.size(); ++n) {
      if (!new_taken_[n]) changes_.push_back({Change::Added, nullptr, &new_.tags[n]});
    }
    std::stable_sort(changes_.begin(), changes_.end(), [](const TagChange& a, const TagChange& b) {
      const DiffTag& x = a.place();
      const DiffTag& y = b.place();
      return x.kind != y.kind ? x.kind < y.kind : x.line < y.line;
    });
  }

  const Side& old_;
  const Side& new_;
  std::vector<std::int32_t> old_partner_;  // position in the new tags, or -1
  std::vector<bool> new_taken_;
  std::vector<bool> moved_;
  std::vector<bool> renamed_;
  std::vector<TagChange> changes_;
};

// A warning as the check words it, and whether it is new or gone.
struct WarningChange {
  bool appeared;
  std::string code;
  std::string text;
};

// What makes two warnings of the two strings one: their kind, table and
// the token they are about (or their count); not their line, which moves
// with every line added above it.
std::string warning_key(const InitCheck& check, const InitWarning& warning) {
  std::string key =
      std::string(init_warning_code(warning.Kind)) + '\0' + std::to_string(warning.Section) + '\0';
  if (warning.Token >= 0) return key + init_token_text(check, warning.Token);
  return key + std::to_string(warning.Count);
}

// A warning of one string: what makes it the same as one of the other
// string, and its words.
struct SideWarning {
  std::string key;
  const char* code;
  std::string text;
  bool unusable;  // the driver would load no tag
};

std::vector<SideWarning> side_warnings(const InitStringCheck& read) {
  std::vector<SideWarning> warnings;
  read.each_warning([&](const InitWarning& w) {
    warnings.push_back({warning_key(read.check, w), init_warning_code(w.Kind),
                        init_warning_text(read.check, w), init_warning_unusable(w.Kind)});
  });
  return warnings;
}

// The warnings of `from` that `to` lacks, as many times as they are more.
void unmatched_warnings(const std::vector<SideWarning>& from, const std::vector<SideWarning>& to,
                        bool appeared, std::vector<WarningChange>& changes) {
  std::unordered_map<std::string, int> left;
  for (const SideWarning& w : to) ++left[w.key];
  for (const SideWarning& w : from) {
    int& count = left[w.key];
    if (count > 0) {
      --count;
      continue;
    }
    changes.push_back({appeared, w.code, w.text});
  }
}

// Where an item binds in one string, or nowhere.
std::optional<Binding> binding_in(const Side& side, bool controller, const std::string& tag,
                                  std::int32_t ds) {
  Binding found{};
  bool matched =
      side.indexed
          ? find_binding_indexed(side.index, side.catalogue(), controller, tag.c_str(), ds, found)
          : find_binding_linear(side.catalogue(), controller, tag.c_str(), ds, found);
  if (!matched) return std::nullopt;
  return found;
}

// The call a step makes for an item of this binding, in words.
const char* step_call_words(bool controller, const std::optional<Binding>& binding) {
  static const char* const words[] = {"writes an analog input",  "reads an analog output",
                                      "writes a discrete input", "reads a discrete output",
                                      "reads a DCD state",       "reads a CALC value"};
  int kind = binding ? step_kind(controller, binding->code) : NO_KIND;
  return kind == NO_KIND ? "makes no call" : words[TAG_KINDS[kind].Call];
}

std::string place_text(bool controller, const std::optional<Binding>& binding) {
  if (!binding) return "unbound";
  return std::string(TAG_KINDS[bound_kind(controller, binding->code)].Name) + "[" +
         std::to_string(binding->index) + "]";
}

// An item whose binding differs between the strings.
struct ItemChange {
  bool controller;
  std::string name;
  std::string tag;
  std::int32_t ds;
  std::optional<Binding> before;
  std::optional<Binding> after;
  std::string what;  // in words: why, and what the step does now
  const DiffTag* rename = nullptr;
};

struct CaseChanges {
  std::string file;
  std::size_t items = 0;
  std::vector<ItemChange> changed;
};

// The reasons of the items that lose their binding, in words, all worked
// out at the end: one place to ask for them together.
void explain_unbound(const Side& new_side, std::vector<CaseChanges>& cases) {
  std::vector<ItemChange*> unbound;
  std::vector<ItemFacts> facts;
  for (CaseChanges& each : cases) {
    for (ItemChange& item : each.changed) {
      if (item.after) continue;
      unbound.push_back(&item);
      facts.push_back({item.controller, item.tag, item.ds, true, 0, 0});  // code 0: unbound
    }
  }
  std::vector<BindingDescription> described =
      describe_bindings(new_side.catalogue(), &new_side.read->check, facts);
  for (std::size_t i = 0; i < unbound.size(); ++i) {
    unbound[i]->what = std::move(described[i].reason_alone);
  }
}

// How the binding changed, in words; empty when it did not. An item that
// loses its binding gets its reason later.
std::string binding_change(const ItemChange& item) {
  const auto& [before, after] = std::tie(item.before, item.after);
  if (!before && !after) return {};
  if (!after) return "unbound";
  if (!before) return std::string("the step ") + step_call_words(item.controller, after);
  if (before->code == after->code) {
    return before->index == after->index ? std::string() : "another entry of the same table";
  }
  return std::string("another table: the step ") + step_call_words(item.controller, after) +
         " (it " + step_call_words(item.controller, before) + ")";
}

CaseChanges case_changes(const Case& plan, const std::string& file, const Side& old_side,
                         const Side& new_side, const TagPairing& pairing) {
  CaseChanges result{file, plan.controllers.size() + plan.points.size(), {}};
  auto compare = [&](bool controller, const std::string& name, const std::string& tag,
                     std::int32_t ds) {
    ItemChange item{controller,
                    name,
                    tag,
                    ds,
                    binding_in(old_side, controller, tag, ds),
                    binding_in(new_side, controller, tag, ds),
                    {}};
    item.what = binding_change(item);
    if (item.what.empty()) return;
    if (item.before && !item.after) {
      item.rename =
          pairing.renamed_to(bound_kind(controller, item.before->code), item.before->index);
    }
    result.changed.push_back(std::move(item));
  };
  for (const ControllerItem& c : plan.controllers) compare(true, c.name, c.tag, c.ds);
  for (const PointItem& p : plan.points) compare(false, p.name, p.tag, p.ds);
  return result;
}

// Everything the diff found.
struct Diff {
  std::vector<TagChange> tags;
  std::vector<WarningChange> warnings;
  std::vector<CaseChanges> cases;
  std::size_t changed_items = 0;
  int status = kRan;
};

std::string tag_text(const DiffTag& tag) {
  return "\"" + escaped(tag.name) + "\" data set " + std::to_string(tag.ds) + " (" +
         TAG_KINDS[tag.kind].Name + "[" + std::to_string(tag.index) + "], line " +
         std::to_string(tag.line) + ")";
}

std::string item_label(const ItemChange& item) {
  return std::string(item.controller ? "controller" : "process variable") + " '" +
         escaped(item.name) + "' (\"" + escaped(item.tag) + "\" data set " +
         std::to_string(item.ds) + ")";
}

std::string rename_text(const DiffTag& tag) {
  return "renamed? it would bind to \"" + escaped(tag.name) + "\" (" + TAG_KINDS[tag.kind].Name +
         "[" + std::to_string(tag.index) + "])";
}

std::int32_t table_count(const Side& side, int kind) {
  std::int32_t count = 0;
  visit_table(side.catalogue(), kind, [&](const auto& table) { count = table.Count; });
  return count;
}

std::string tag_change_text(const TagChange& change) {
  std::string line = std::string(change_word(change.what)) + " ";
  switch (change.what) {
    case Change::Removed:
      return line + tag_text(*change.old);
    case Change::Added:
      return line + tag_text(*change.now);
    default:
      return line + tag_text(*change.old) + " -> " + tag_text(*change.now);
  }
}

std::string item_change_text(const ItemChange& item) {
  std::string line = item_label(item) + ": " + place_text(item.controller, item.before) + " -> " +
                     place_text(item.controller, item.after) + ": " + item.what;
  if (item.rename != nullptr) line += "; " + rename_text(*item.rename);
  return line;
}

void print_text(const Diff& diff, const Side& old_side, const Side& new_side) {
  for (const Side* side : {&old_side, &new_side}) {
    std::printf("%s: %s, %d bytes; %s\n", side == &old_side ? "old" : "new",
                escaped(side->file).c_str(), side->read->check.Length,
                catalogue_summary_text(side->catalogue()).c_str());
  }
  auto change = diff.tags.begin();
  for (int kind = 0; kind < TAG_TABLES; ++kind) {
    std::printf("%s: %d -> %d tags\n", TAG_KINDS[kind].Name, table_count(old_side, kind),
                table_count(new_side, kind));
    for (; change != diff.tags.end() && change->place().kind == kind; ++change) {
      std::printf("  %s\n", tag_change_text(*change).c_str());
    }
  }
  if (diff.warnings.empty()) std::printf("warnings: none appear or disappear\n");
  for (const WarningChange& warning : diff.warnings) {
    std::printf("warning %s: [%s] %s\n", warning.appeared ? "appears" : "disappears",
                warning.code.c_str(), warning.text.c_str());
  }
  for (const CaseChanges& each : diff.cases) {
    std::printf("case %s: %zu of %zu items change their binding\n", escaped(each.file).c_str(),
                each.changed.size(), each.items);
    for (const ItemChange& item : each.changed) {
      std::printf("  %s\n", item_change_text(item).c_str());
    }
  }
  std::printf("result: %s\n", diff.status == kUnusable   ? "a string is unusable"
                              : diff.status == kWarnings ? "bindings change"
                                                         : "no binding changes");
}

nlohmann::ordered_json tag_json(const DiffTag* tag) {
  if (tag == nullptr) return nullptr;
  return {{"name", tag->name},
          {"ds", tag->ds},
          {"table", TAG_KINDS[tag->kind].Name},
          {"index", tag->index},
          {"line", tag->line}};
}

nlohmann::ordered_json binding_json(bool controller, const std::optional<Binding>& binding) {
  if (!binding) return nullptr;
  return {{"table", TAG_KINDS[bound_kind(controller, binding->code)].Name},
          {"index", binding->index},
          {"code", binding->code}};
}

void print_json(const Diff& diff, const Side& old_side, const Side& new_side) {
  nlohmann::ordered_json document;
  for (const Side* side : {&old_side, &new_side}) {
    document[side == &old_side ? "old" : "new"] = {{"file", side->file},
                                                   {"bytes", side->read->check.Length},
                                                   {"catalogue", table_counts(side->catalogue())}};
  }
  nlohmann::ordered_json tables = nlohmann::ordered_json::array();
  auto change = diff.tags.begin();
  for (int kind = 0; kind < TAG_TABLES; ++kind) {
    nlohmann::ordered_json changes = nlohmann::ordered_json::array();
    for (; change != diff.tags.end() && change->place().kind == kind; ++change) {
      changes.push_back({{"change", change_word(change->what)},
                         {"old", tag_json(change->old)},
                         {"new", tag_json(change->now)}});
    }
    tables.push_back({{"table", TAG_KINDS[kind].Name},
                      {"old", table_count(old_side, kind)},
                      {"new", table_count(new_side, kind)},
                      {"changes", changes}});
  }
  document["tables"] = tables;
  nlohmann::ordered_json warnings = nlohmann::ordered_json::array();
  for (const WarningChange& warning : diff.warnings) {
    warnings.push_back({{"change", warning.appeared ? "appears" : "disappears"},
                        {"code", warning.code},
                        {"message", warning.text}});
  }
  document["warnings"] = warnings;
  nlohmann::ordered_json cases = nlohmann::ordered_json::array();
  for (const CaseChanges& each : diff.cases) {
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (const ItemChange& item : each.changed) {
      items.push_back({{"kind", item.controller ? "controller" : "process variable"},
                       {"name", item.name},
                       {"tag", item.tag},
                       {"ds", item.ds},
                       {"old", binding_json(item.controller, item.before)},
                       {"new", binding_json(item.controller, item.after)},
                       {"change", item.what},
                       {"renamed_to", tag_json(item.rename)}});
    }
    cases.push_back({{"file", each.file}, {"items", each.items}, {"changed", items}});
  }
  document["cases"] = cases;
  document["changed_items"] = diff.changed_items;
  document["exit_status"] = diff.status;
  std::printf("%s\n", document.dump(2).c_str());
}

// Reads and checks one string; false (the error said) when it cannot be read.
bool read_side(Side& side, const std::string& path) {
  side.file = path;
  std::optional<std::string> text = read_init_text(path);
  if (!text) return false;
  side.text = std::move(*text);
  side.read = std::make_unique<InitStringCheck>(side.text);
  collect_tags(side);
  side.indexed = build_tag_index(side.index, side.catalogue());
  return true;
}

}  // namespace

int run_diff(int argc, char** argv) {
  CLI::App app{
      "Compares two initialization strings the way the dravik32 driver reads them: tags added, "
      "removed, moved to another table or data set, probably renamed; warnings that appear or "
      "disappear; and, for the items of each case, every binding that changes.",
      "dravik-host diff"};
  desk_command_line(app);
  std::string old_path;
  std::string new_path;
  std::vector<std::string> case_paths;
  bool json = false;
  app.add_option("OLD", old_path, "the initialization string before, as a file")->required();
  app.add_option("NEW", new_path, "the initialization string after, as a file")->required();
  app.add_option("--case", case_paths,
                 "a case, or a plant report whose last DCSConfigure's items make one, whose "
                 "items' bindings to compare (repeatable)");
  app.add_flag("--json", json, "print the result as JSON");
  app.footer(
      "Exit status: 0 no item of the cases changes its binding, 4 some item does, 5 a string "
      "is unusable (no tag would be loaded), 1 a file cannot be read.");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error) == 0 ? kRan : kBadInput;
  }

  Side old_side;
  Side new_side;
  if (!read_side(old_side, old_path) || !read_side(new_side, new_path)) return kBadInput;
  std::vector<Case> plans;
  try {
    for (const std::string& path : case_paths) plans.push_back(read_case_or_report(path));
  } catch (const InputError& error) {
    std::fprintf(stderr, "dravik-host: %s\n", error.what());
    return kBadInput;
  }

  TagPairing pairing(old_side, new_side);
  Diff diff;
  diff.tags = pairing.changes();
  std::vector<SideWarning> old_warnings = side_warnings(*old_side.read);
  std::vector<SideWarning> new_warnings = side_warnings(*new_side.read);
  unmatched_warnings(new_warnings, old_warnings, true, diff.warnings);
  unmatched_warnings(old_warnings, new_warnings, false, diff.warnings);
  for (std::size_t i = 0; i < plans.size(); ++i) {
    diff.cases.push_back(case_changes(plans[i], case_paths[i], old_side, new_side, pairing));
    diff.changed_items += diff.cases.back().changed.size();
  }
  explain_unbound(new_side, diff.cases);
  auto is_unusable = [](const SideWarning& w) { return w.unusable; };
  bool unusable = std::any_of(old_warnings.begin(), old_warnings.end(), is_unusable) ||
                  std::any_of(new_warnings.begin(), new_warnings.end(), is_unusable);
  diff.status = unusable ? kUnusable : (diff.changed_items > 0 ? kWarnings : kRan);
  if (json) {
    print_json(diff, old_side, new_side);
  } else {
    print_text(diff, old_side, new_side);
  }
  return diff.status;
}
