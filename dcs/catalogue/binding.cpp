#include "catalogue/binding.h"

#include "catalogue/tag_name.h"
#include "emulator/dravlink.h"
#include "host/user_messages.h"
#include "record/helpers.h"

namespace {

constexpr char kConfigCaption[] = "DCSConfigError";
constexpr char kNoTagsText[] =
    "Cannot Enable DCS Link\n\nStart the Dravik Non Control Tags Application.\n"
    "Close (Save) existing ORVENT case.\nReload stored case or recreate new case.\n Enable the "
    "link";
constexpr char kNoCatalogueText[] =
    "Cannot Enable DCS Link until the ORVENT case is reloaded or recreated";

struct Binding {
  std::int32_t code;
  std::int32_t index;
};

// The first entry of `table` with the tag's name and the item's data set.
template <typename Entry>
bool find_in(const TagTable<Entry>& table, std::int32_t code, const char* tag, std::int32_t ds,
             Binding& found) {
  for (std::int32_t i = 0; i < table.Count; ++i) {
    if (same_tag_name(tag, table.Entries[i].Name) && table.Entries[i].Id == ds) {
      found = {code, i};
      return true;
    }
  }
  return false;
}

// A controller reads AO, DO, DCD and CALC tags; a process variable writes AI
// and DI tags. Each searches only the tables its exchange can use, so its
// index always belongs to the table the exchange applies it to.
bool find_for(bool controller, const TagCatalogue& catalogue, const char* tag, std::int32_t ds,
              Binding& found) {
  return find_in(controller ? catalogue.AO : catalogue.AI, BIND_ANALOG, tag, ds, found) ||
         find_in(controller ? catalogue.DO : catalogue.DI, BIND_DISCRETE, tag, ds, found) ||
         find_in(catalogue.DCD, BIND_DCD, tag, ds, found) ||
         find_in(catalogue.CALC, BIND_CALC, tag, ds, found);
}

// Binds one item; an item that matches nothing keeps its slots. Only the
// integer part of the two binding slots is written.
void bind_item(DCSValue* fields, const TagCatalogue& catalogue, bool controller) {
  if (fields == nullptr) return;
  const char* tag = slot_text(fields[SLOT_TAG]);
  Binding found;
  if (tag == nullptr || !find_for(controller, catalogue, tag, slot_int(fields[SLOT_DS]), found)) {
    return;
  }
  set_slot_int(fields[SLOT_TYPE], found.code);
  set_slot_int(fields[SLOT_STRUCT_IDX], found.index);
}

}  // namespace

std::int32_t configure_bindings(DCSData* data, const TagCatalogue& catalogue) {
  if (ctrl_text_fields_ok(data) == 0) {
    report_error_key("DCSCtrlTagFieldError");
    return 0;
  }
  if (pv_text_fields_ok(data) == 0) {
    report_error_key("DCSPVTagFieldError");
    return 0;
  }
  if (EmuGetInitLength() <= EMPTY_INIT_LENGTH) {
    show_message(kNoTagsText, kConfigCaption);
    return 0;
  }
  if (!catalogue_exists(catalogue)) {
    show_message(kNoCatalogueText, kConfigCaption);
    return 0;
  }
  // Items of a list without the driver's fields have no slots to bind.
  if (data->CtrlDefCnt >= DRIVER_FIELDS) {
    for (std::int32_t i = 0; i < data->CtrlCnt; ++i) {
      bind_item(data->Ctrl[i].Fields, catalogue, true);
    }
  }
  if (data->PVDefCnt >= DRIVER_FIELDS) {
    for (std::int32_t i = 0; i < data->PVCnt; ++i) {
      bind_item(data->PV[i].Fields, catalogue, false);
    }
  }
  return 1;
}
