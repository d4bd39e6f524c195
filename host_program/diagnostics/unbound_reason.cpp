#include "diagnostics/unbound_reason.h"

#include <algorithm>
#include <stdexcept>

#include "catalogue/tokenizer.h"
#include "diagnostics/escaped_text.h"

namespace {

// Without the blanks around it.
std::string_view trimmed(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

std::size_t length_bit(std::string_view text) { return std::min<std::size_t>(text.size(), 255); }

// "a, b": the list with one more item.
void add_to(std::string& list, const std::string& item) {
  list += (list.empty() ? "" : ", ") + item;
}

// "AO, DO, DCD and CALC": the tables a kind of item exchanges with.
std::string called_text(bool controller) {
  std::vector<const char*> called;
  for (int kind = 0; kind < TAG_TABLES; ++kind) {
    if (exchanged_by(kind, controller)) called.push_back(TAG_KINDS[kind].Name);
  }
  std::string text;
  for (std::size_t i = 0; i < called.size(); ++i) {
    text += i == 0 ? "" : (i + 1 == called.size() ? " and " : ", ");
    text += called[i];
  }
  return text;
}

std::string line_text(std::int32_t line) { return "line " + std::to_string(line); }

}  // namespace

UnboundReasons::UnboundReasons(const TagCatalogue& catalogue, const InitCheck* check,
                               const std::vector<std::string_view>& tags)
    : catalogue_(catalogue), check_(check) {
  for (std::string_view tag : tags) {
    auto [at, added] = by_name_.emplace(tag, static_cast<std::int32_t>(sought_.size()));
    if (!added) continue;
    sought_.emplace_back();
    name_lengths_.set(length_bit(tag));
    std::string_view key = trimmed(tag);
    if (key.empty()) continue;
    trimmed_lengths_.set(length_bit(key));
    sought_.back().trimmed = by_trimmed_.emplace(key, at->second).first->second;
  }
  std::int32_t first[TAG_TABLES + 1] = {};
  sight_entries(first);
  if (check_ != nullptr) sight_tokens(first);
}

// Every catalogue entry whose name is sought, in the order the binding
// searches; `first` receives where each table's sightings begin.
void UnboundReasons::sight_entries(std::int32_t (&first)[TAG_TABLES + 1]) {
  for_each_kind(catalogue_, [&](const auto& table, int kind) {
    first[kind] = static_cast<std::int32_t>(sightings_.size());
    catalogue_tags_ += table.Count;
    for (std::int32_t i = 0; i < table.Count; ++i) {
      std::string_view name = table.Entries[i].Name;
      if (!name_lengths_.test(length_bit(name))) continue;
      auto sought = by_name_.find(name);
      if (sought == by_name_.end()) continue;
      sought_[static_cast<std::size_t>(sought->second)].sightings.push_back(
          static_cast<std::int32_t>(sightings_.size()));
      sightings_.push_back({i, static_cast<std::int8_t>(kind)});
    }
  });
  first[TAG_TABLES] = static_cast<std::int32_t>(sightings_.size());
}

// One pass over the tokens: the first token naming each sought tag, blanks
// aside, and for each sighted entry its name token and the header before it
// that an earlier record took as a field. Within a table the sightings and
// the name tokens both come in the entries' order.
void UnboundReasons::sight_tokens(const std::int32_t (&first)[TAG_TABLES + 1]) {
  const InitCheck& check = *check_;
  std::int32_t next[TAG_TABLES];
  std::copy(first, first + TAG_TABLES, next);
  std::int32_t swallowed = -1;  // since the last header
  for (std::int32_t i = 0; i < init_token_count(check); ++i) {
    InitToken token = init_token_unlined(check, i);
    if (token.Role == ROLE_HEADER) {
      swallowed = -1;
      continue;
    }
    if (token.Role == ROLE_FIELD && token.Text[0] == '*') swallowed = i;
    if (token.Role == ROLE_NAME && token.Entry >= 0) {
      std::int32_t& at = next[token.Section];
      std::int32_t end = first[token.Section + 1];
      while (at < end && sightings_[static_cast<std::size_t>(at)].entry < token.Entry) ++at;
      if (at < end && sightings_[static_cast<std::size_t>(at)].entry == token.Entry) {
        sightings_[static_cast<std::size_t>(at)].name_token = i;
        sightings_[static_cast<std::size_t>(at)].swallowed = swallowed;
      }
    }
    std::string_view key = trimmed(token.Text);
    if (key.empty() || !trimmed_lengths_.test(length_bit(key))) continue;
    auto sought = by_trimmed_.find(key);
    if (sought == by_trimmed_.end()) continue;
    std::int32_t& first_token = sought_[static_cast<std::size_t>(sought->second)].first_token;
    if (first_token < 0) first_token = i;
  }
}

// Where the text holds the name although the catalogue has no entry of it.
std::string UnboundReasons::text_reason(std::int32_t at) const {
  if (at < 0) return {};
  const InitCheck& check = *check_;
  const InitToken token = init_token(check, at);
  const std::string section = token.Section >= 0 ? init_section_name(token.Section) : "";
  switch (token.Role) {
    case ROLE_NAME:
      if (token.Entry < 0) {
        return "; its " + section + " record at " + line_text(token.Line) +
               " was dropped: the table was full";
      }
      return "; the " + section + " tag at " + line_text(token.Line) + " is " +
             quoted_token(token.Text) + ", whose blanks differ from the TAG's";
    case ROLE_FIELD: {
      const InitToken name = init_token(check, token.Record);
      return "; at " + line_text(token.Line) + " it is read as the " +
             init_field_name(token.Section, token.Field) + " of the " + section + " record " +
             quoted_token(name.Text) + " (" + line_text(name.Line) + ")";
    }
    case ROLE_BEFORE_HEADER:
      return "; it stands at " + line_text(token.Line) +
             ", before the first section header, where tokens are skipped";
    default: {
      std::string text = "; it stands at " + line_text(token.Line) + ", after the reading stopped";
      if (check.StopToken >= 0) {
        text += " at " + line_text(init_token(check, check.StopToken).Line) + " (an empty token)";
      }
      return text;
    }
  }
}

// When the entry's record follows a header that an earlier record of its
// section took as a field, the tags after that header landed in this table.
std::string UnboundReasons::swallowed_reason(const Sighting& sighting) const {
  if (sighting.name_token < 0 || sighting.swallowed < 0) return {};
  const InitCheck& check = *check_;
  const InitToken token = init_token(check, sighting.swallowed);
  const InitToken name = init_token(check, token.Record);
  return "; its record at " + line_text(init_token(check, sighting.name_token).Line) +
         " follows the header " + quoted_token(token.Text) + " at " + line_text(token.Line) +
         ", which the " + init_section_name(name.Section) + " record " + quoted_token(name.Text) +
         " (" + line_text(name.Line) + ") took as a field";
}

std::string UnboundReasons::reason(bool controller, std::string_view tag, std::int32_t ds) const {
  auto found = by_name_.find(tag);
  if (found == by_name_.end()) throw std::invalid_argument("the tag's reason was not sought");
  const Sought& sought = sought_[static_cast<std::size_t>(found->second)];
  // Where entries with the item's name stand, by what they mean for the item.
  std::string other_ds;  // "2 (AI)", the name with other data sets
  std::string usable;    // tables this kind of item searches
  std::string unusable;  // tables it does not
  const Sighting* unusable_sighting = nullptr;
  for (std::int32_t at : sought.sightings) {
    const Sighting& sighting = sightings_[static_cast<std::size_t>(at)];
    int section = static_cast<unsigned char>(sighting.section);
    std::int32_t id = 0;
    visit_table(catalogue_, section,
                [&](const auto& table) { id = table.Entries[sighting.entry].Id; });
    if (id != ds) {
      add_to(other_ds, std::to_string(id) + " (" + init_section_name(section) + ")");
    } else if (!searched_by(section, controller)) {
      add_to(unusable, init_section_name(section));
      if (unusable_sighting == nullptr) unusable_sighting = &sighting;
    } else {
      add_to(usable, init_section_name(section));
    }
  }

  std::string shown = quoted_token(tag);
  if (!usable.empty()) {
    return shown + " data set " + std::to_string(ds) + " is in " + usable +
           ", but the driver did not bind it";
  }
  if (!unusable.empty()) {
    std::string text = shown + " data set " + std::to_string(ds) + " is only in " + unusable +
                       ", which " +
                       (controller ? "controllers do not read (they read "
                                   : "process variables do not write (they write ") +
                       called_text(controller) + ")";
    if (check_ != nullptr) text += swallowed_reason(*unusable_sighting);
    return text;
  }
  if (!other_ds.empty()) return shown + " exists with other data sets only: " + other_ds;
  std::string text = "no tag named " + shown;
  if (catalogue_tags_ == 0) text += ": the catalogue holds no tags";
  if (check_ != nullptr && sought.trimmed >= 0) {
    text += text_reason(sought_[static_cast<std::size_t>(sought.trimmed)].first_token);
  }
  return text;
}
