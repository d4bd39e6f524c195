#include "record/record_blocks.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "host/user_messages.h"

namespace {

constexpr char API_CAPTION[] = "OVDCSAPI";
constexpr char API_ERROR_CAPTION[] = "OVDCSAPI Error";

// The length of `text`, or `limit` when it has at least that many characters;
// reads no further.
std::size_t bounded_length(const char* text, std::size_t limit) {
  std::size_t n = 0;
  while (n < limit && text[n] != '\0') ++n;
  return n;
}

struct TextWrite {
  std::int32_t result;
  char* stored;  // what the target is to hold
};

// The one text writer behind every target; `held` is the driver's block that
// the target holds, or null. The new block is filled before the old one is
// released, so a text may be rewritten from itself.
TextWrite replace_text(char* held, const char* text) {
  if (text == nullptr) return {1, held};
  std::size_t length = bounded_length(text, TEXT_BLOCK_BYTES);
  if (length == TEXT_BLOCK_BYTES) return {1, held};  // no room for its NUL
  auto* block = static_cast<char*>(std::malloc(TEXT_BLOCK_BYTES));
  if (block != nullptr) std::memcpy(block, text, length + 1);
  if (held != nullptr) std::free(held);
  return {block != nullptr ? 0 : 1, block};
}

}  // namespace

DCSDataDef* new_defs(FieldList list, std::int32_t count) {
  auto* defs = static_cast<DCSDataDef*>(
      ::operator new(sizeof(DCSDataDef) * static_cast<std::size_t>(count), std::nothrow));
  if (defs == nullptr) return nullptr;
  for (std::int32_t k = 0; k < count; ++k) {
    defs[k].Type = FIELD_INT;
    defs[k].Name = nullptr;
    defs[k].Moniker = list_moniker(list, k);
    defs[k].Aux = 0;
    defs[k].AuxPtr1 = nullptr;
    defs[k].AuxPtr2 = nullptr;
  }
  return defs;
}

DCSValue* new_slots(std::int32_t count) {
  if (count < 0 || static_cast<std::size_t>(count) > SIZE_MAX / sizeof(DCSValue)) return nullptr;
  std::size_t bytes = sizeof(DCSValue) * static_cast<std::size_t>(count);
  void* slots = ::operator new(bytes, std::nothrow);
  if (slots != nullptr) std::memset(slots, 0, bytes);
  return static_cast<DCSValue*>(slots);
}

std::int32_t write_def_name(DCSData* data, FieldList list, std::int32_t k, const char* text) {
  DCSDataDef* def = list_def(data, list, k);
  if (def == nullptr) return 1;
  TextWrite write = replace_text(def->Name, text);
  def->Name = write.stored;
  return write.result;
}

std::int32_t write_value_text(DCSData* data, FieldList list, std::int32_t k, const char* text) {
  // Only a text field's slot takes text: the teardown releases text nowhere
  // else, and a block stored in another slot would never be released.
  DCSValue* slot = list_value(data, list, k);
  if (slot == nullptr || !is_text_field(data, list, k)) return 1;
  TextWrite write = replace_text(slot_text(*slot), text);
  set_slot_text(*slot, write.stored);
  return write.result;
}

std::int32_t alloc_defs(DCSData* data, FieldList list, std::int32_t count) {
  const ListTraits& traits = list_traits(list);
  if (count < 0 || count > traits.limit) {
    show_message(traits.range_message, API_CAPTION);
    return 0;
  }
  set_list_def_count(data, list, count);
  DCSDataDef* defs = new_defs(list, count);
  set_list_defs(data, list, defs);
  if (defs == nullptr) {
    show_message(traits.defs_message, API_CAPTION);
    return 0;
  }
  return 1;
}

std::int32_t alloc_values(DCSData* data, FieldList list, std::int32_t count) {
  const ListTraits& traits = list_traits(list);
  DCSValue* values = new_slots(count);
  set_list_values(data, list, values);
  if (values == nullptr) {
    show_message(traits.values_message, API_ERROR_CAPTION);
    return 0;
  }
  if (traits.reset_companions != nullptr) traits.reset_companions(data);
  return 1;
}
