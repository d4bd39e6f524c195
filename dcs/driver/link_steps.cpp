#include "driver/link_steps.h"

#include <cstddef>
#include <cstdlib>

#include "catalogue/binding.h"
#include "driver/plant_report.h"
#include "emulator/dravlink.h"
#include "host/user_messages.h"
#include "record/helpers.h"

namespace {

constexpr char LOAD_WARNING_TEXT[] =
    "Empty initialization string from Dravik.\nDCS link cannot be enabled.\n\n"
    "Start the Dravik Non Control Tags Application.\nClose (Save) current ORVENT case.\n"
    "Reload stored case or recreate new case";
constexpr char LOAD_WARNING_CAPTION[] = "DCSLoadWarning";

constexpr char CONFIG_CAPTION[] = "DCSConfigError";
constexpr char NO_TAGS_TEXT[] =
    "Cannot Enable DCS Link\n\nStart the Dravik Non Control Tags Application.\n"
    "Close (Save) existing ORVENT case.\nReload stored case or recreate new case.\n Enable the "
    "link";
constexpr char NO_CATALOGUE_TEXT[] =
    "Cannot Enable DCS Link until the ORVENT case is reloaded or recreated";

}  // namespace

LoadOutcome load_catalogue(TagCatalogue& catalogue, bool& box_shown, ReportFile* report) {
  std::int32_t length = EmuGetInitLength();
  if (report != nullptr) report_load_length(*report, length);
  if (length <= EMPTY_INIT_LENGTH) {
    show_message(LOAD_WARNING_TEXT, LOAD_WARNING_CAPTION);
    return {length, LOAD_TOO_SHORT};
  }
  // The buffer holds the reported length and a terminating zero; a length
  // past any real string is treated as a buffer that cannot be had.
  char* text = nullptr;
  if (length <= MAX_INIT_LENGTH) {
    text = static_cast<char*>(std::calloc(static_cast<std::size_t>(length) + 1, 1));
  }
  if (text == nullptr) {
    show_load_out_of_memory(box_shown);
    return {length, LOAD_OUT_OF_MEMORY};
  }
  EmuGetInitString(text);
  text[length] = '\0';
  // Recorded before the loader cuts the text into tokens.
  if (report != nullptr) report_load_text(*report, text, length);
  bool complete = load_text(catalogue, text, length);
  // The tags read so far stay; the user learns that the list is incomplete.
  if (!complete) show_load_out_of_memory(box_shown);
  return {length, complete ? LOAD_READ : LOAD_OUT_OF_MEMORY};
}

ConfigureResult configure_checked(DCSData* data, const TagCatalogue& catalogue) {
  if (ctrl_text_fields_ok(data) == 0) {
    report_error_key("DCSCtrlTagFieldError");
    return CONFIGURE_CTRL_TEXT_EMPTY;
  }
  if (pv_text_fields_ok(data) == 0) {
    report_error_key("DCSPVTagFieldError");
    return CONFIGURE_PV_TEXT_EMPTY;
  }
  if (EmuGetInitLength() <= EMPTY_INIT_LENGTH) {
    show_message(NO_TAGS_TEXT, CONFIG_CAPTION);
    return CONFIGURE_NO_TAGS;
  }
  if (!catalogue_exists(catalogue)) {
    show_message(NO_CATALOGUE_TEXT, CONFIG_CAPTION);
    return CONFIGURE_NO_CATALOGUE;
  }
  bind_lists(data, catalogue);
  return CONFIGURE_BOUND;
}
