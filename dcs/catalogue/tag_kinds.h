// The six kinds of emulator tag, one row each: how the initialization string
// lists them, which items bind to them and with which code, and which library
// call a step makes for an item bound to one. The loader, the binding, its
// index, the exchange and the checks all read these rows; the entry shape of
// each kind is its member of TagCatalogue.
#pragma once

#include <cstdint>

// The binding codes in CtrlType and PVType; any other value is unbound.
inline constexpr std::int32_t BIND_ANALOG = 1;    // AO for a controller, AI for a process variable
inline constexpr std::int32_t BIND_DISCRETE = 2;  // DO for a controller, DI for a process variable
inline constexpr std::int32_t BIND_DCD = 3;
inline constexpr std::int32_t BIND_CALC = 4;

// The kinds of item that search a table when they bind, as a set.
enum ItemKinds : std::uint8_t {
  FOR_CONTROLLERS = 1,
  FOR_POINTS = 2,
  FOR_BOTH = FOR_CONTROLLERS | FOR_POINTS,
};

inline constexpr std::uint8_t item_kind(bool controller) {
  return controller ? FOR_CONTROLLERS : FOR_POINTS;
}

// The library call a step makes for an item bound to a table. Reads fill a
// controller; writes send a process variable's value.
enum StepCall : std::uint8_t {
  CALL_WRITE_ANALOG_IN,
  CALL_READ_ANALOG_OUT,
  CALL_WRITE_DISCRETE_IN,
  CALL_READ_DISCRETE_OUT,
  CALL_READ_DCD_STATE,
  CALL_READ_CALC,
};

inline constexpr std::uint8_t caller_of(StepCall call) {
  return call == CALL_WRITE_ANALOG_IN || call == CALL_WRITE_DISCRETE_IN ? FOR_POINTS
                                                                        : FOR_CONTROLLERS;
}

// Every record starts with the name, a token the loader skips and the Id;
// the entry shape's own fields follow.
inline constexpr int ID_TOKEN = 2;
inline constexpr int RECORD_HEAD_TOKENS = 3;

inline constexpr int DCD_STATE_VALUES = 17;

struct TagKind {
  const char* Header;       // the section header, matched byte for byte
  const char* Name;         // the table's name in messages
  int RecordTokens;         // tokens of one record
  std::uint8_t SearchedBy;  // ItemKinds that bind to its entries
  std::int32_t Code;        // the binding code of an item bound to it
  StepCall Call;            // made each step by an item of caller_of(Call)
};

enum TagKindIndex : int { KIND_AI, KIND_AO, KIND_DI, KIND_DO, KIND_DCD, KIND_CALC };

// In the order the tables are created, searched, reset and released.
inline constexpr TagKind TAG_KINDS[] = {
    {"*AI*", "AI", RECORD_HEAD_TOKENS + 2, FOR_POINTS, BIND_ANALOG, CALL_WRITE_ANALOG_IN},
    {"*AO*", "AO", RECORD_HEAD_TOKENS + 2, FOR_CONTROLLERS, BIND_ANALOG, CALL_READ_ANALOG_OUT},
    {"*DI*", "DI", RECORD_HEAD_TOKENS, FOR_POINTS, BIND_DISCRETE, CALL_WRITE_DISCRETE_IN},
    {"*DO*", "DO", RECORD_HEAD_TOKENS, FOR_CONTROLLERS, BIND_DISCRETE, CALL_READ_DISCRETE_OUT},
    {"*DCD*", "DCD", RECORD_HEAD_TOKENS + DCD_STATE_VALUES, FOR_BOTH, BIND_DCD,
     CALL_READ_DCD_STATE},
    {"*CALC*", "CALC", RECORD_HEAD_TOKENS, FOR_BOTH, BIND_CALC, CALL_READ_CALC},
};

inline constexpr int TAG_TABLES = sizeof TAG_KINDS / sizeof *TAG_KINDS;
inline constexpr int NO_KIND = -1;

inline constexpr bool searched_by(int kind, bool controller) {
  return (TAG_KINDS[kind].SearchedBy & item_kind(controller)) != 0;
}

// The table an item's binding code points into, or NO_KIND when the code
// binds nothing.
inline constexpr int bound_kind(bool controller, std::int32_t code) {
  for (int kind = 0; kind < TAG_TABLES; ++kind) {
    if (TAG_KINDS[kind].Code == code && searched_by(kind, controller)) return kind;
  }
  return NO_KIND;
}

// True when a step makes the table's call for this kind of item.
inline constexpr bool exchanged_by(int kind, bool controller) {
  return caller_of(TAG_KINDS[kind].Call) == item_kind(controller);
}

// The table an item with binding code `code` exchanges with each step, or
// NO_KIND when it makes no call (unbound, or bound to a table whose call
// the other kind of item makes).
inline constexpr int step_kind(bool controller, std::int32_t code) {
  int kind = bound_kind(controller, code);
  return kind != NO_KIND && exchanged_by(kind, controller) ? kind : NO_KIND;
}

// Every call is made, and made by the kind of item its table's code leads
// there: the exchange picks a call by the binding code alone.
inline constexpr bool calls_reached_by_code() {
  for (int kind = 0; kind < TAG_TABLES; ++kind) {
    const TagKind& row = TAG_KINDS[kind];
    if (step_kind(caller_of(row.Call) == FOR_CONTROLLERS, row.Code) != kind) return false;
  }
  return true;
}

// The table whose step makes `call`.
inline constexpr int kind_of_call(StepCall call) {
  for (int kind = 0; kind < TAG_TABLES; ++kind) {
    if (TAG_KINDS[kind].Call == call) return kind;
  }
  return NO_KIND;
}

// The binding code selects one table per kind of item, so the exchange needs
// no more than the code to find it.
inline constexpr bool one_table_per_code() {
  for (int a = 0; a < TAG_TABLES; ++a) {
    for (int b = a + 1; b < TAG_TABLES; ++b) {
      if (TAG_KINDS[a].Code == TAG_KINDS[b].Code &&
          (TAG_KINDS[a].SearchedBy & TAG_KINDS[b].SearchedBy) != 0) {
        return false;
      }
    }
  }
  return true;
}
static_assert(one_table_per_code());
static_assert(calls_reached_by_code());
