#include "user32/driver_message_box.h"

MessageBoxAType* take_over_driver_message_box(MessageBoxAType*) { return nullptr; }
