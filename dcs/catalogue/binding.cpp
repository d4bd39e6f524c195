#include "catalogue/binding.h"

#include "record/helpers.h"

namespace {

struct ItemTag {
  const char* text;
  std::int32_t ds;
};

// Reads one item's tag; false for an item with no slots or no tag text.
bool item_tag(const DCSValue* fields, ItemTag& tag) {
  if (fields == nullptr) return false;
  tag = {slot_text(fields[SLOT_TAG]), slot_int(fields[SLOT_DS])};
  return tag.text != nullptr;
}

// Only the integer part of the two binding slots is written.
void write_binding(DCSValue* fields, const Binding& found) {
  set_slot_int(fields[SLOT_TYPE], found.code);
  set_slot_int(fields[SLOT_STRUCT_IDX], found.index);
}

// Binds every item of one list, through the index when there is one. An
// item that matches nothing keeps its slots.
template <typename Item>
void bind_items(Item* items, std::int32_t count, bool controller, const TagCatalogue& catalogue,
                const TagIndex* index) {
  for (std::int32_t i = 0; i < count; ++i) {
    ItemTag tag;
    Binding found;
    if (!item_tag(items[i].Fields, tag)) continue;
    bool matched =
        index != nullptr
            ? find_binding_indexed(*index, catalogue, controller, tag.text, tag.ds, found)
            : find_binding_linear(catalogue, controller, tag.text, tag.ds, found);
    if (matched) write_binding(items[i].Fields, found);
  }
}

}  // namespace

// Each kind of item searches only the tables that TAG_KINDS gives it, in
// the catalogue's order, so its index always belongs to the table the
// exchange applies it to.
bool find_binding_linear(const TagCatalogue& catalogue, bool controller, const char* tag,
                         std::int32_t ds, Binding& found) {
  for (int kind = 0; kind < TAG_TABLES; ++kind) {
    if (!searched_by(kind, controller)) continue;
    std::int32_t at = find_in_table(catalogue, kind, tag, ds);
    if (at >= 0) {
      found = {TAG_KINDS[kind].Code, at};
      return true;
    }
  }
  return false;
}

bool find_binding_indexed(const TagIndex& index, const TagCatalogue& catalogue, bool controller,
                          const char* tag, std::int32_t ds, Binding& found) {
  const TagIndexSlot* slot = find_tag(index, catalogue, tag, ds);
  if (slot == nullptr) return false;
  for (int kind = 0; kind < TAG_TABLES; ++kind) {
    if (searched_by(kind, controller) && slot->First[kind] != 0) {
      found = {TAG_KINDS[kind].Code, slot->First[kind] - 1};
      return true;
    }
  }
  return false;
}

void bind_lists(DCSData* data, const TagCatalogue& catalogue) {
  // Items of a list without the driver's fields have no slots to bind.
  std::int32_t controllers = data->CtrlDefCnt >= DRIVER_FIELDS ? data->CtrlCnt : 0;
  std::int32_t points = data->PVDefCnt >= DRIVER_FIELDS ? data->PVCnt : 0;
  if (controllers <= 0 && points <= 0) return;
  TagIndex index;
  bool indexed = build_tag_index(index, catalogue);
  bind_items(data->Ctrl, controllers, true, catalogue, indexed ? &index : nullptr);
  bind_items(data->PV, points, false, catalogue, indexed ? &index : nullptr);
  if (indexed) release_tag_index(index);
}
