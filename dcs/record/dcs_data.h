// The DCSData record that the host and the driver share for one simulation
// case. Its layout is the host's binary interface, fixed byte for byte for
// 32-bit pointers: every structure is packed, and the members that belong to
// the host keep their width so that later members keep their offsets.
//
// Members of a packed record may be misaligned. Read and write them as
// values (or through the slot accessors below); never bind an ordinary
// pointer or reference to one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Field type codes in DCSDataDef::Type. Every code other than FIELD_TEXT is a
// non-text value to the driver.
inline constexpr std::int32_t FIELD_INT = 0;
inline constexpr std::int32_t FIELD_TEXT = 2;

#pragma pack(push, 1)

// One 8-byte value slot, read as its field's definition says: a 32-bit
// integer in bytes 0 to 3, a real in all 8, or a pointer to text.
struct DCSValue {
  unsigned char Bytes[8];
};

// One field definition.
struct DCSDataDef {
  std::int32_t Type;    // FIELD_TEXT or another code
  char* Name;           // label in a block from the host's malloc; null until set
  const char* Moniker;  // the host variable that carries the field
  std::int32_t Aux;
  void* AuxPtr1;  // blocks the host may attach; released with operator delete
  void* AuxPtr2;
};

// One controller.
struct DCSCtrl {
  unsigned char HostReserved0[4];
  std::int16_t Active;  // nonzero: takes part in the step exchange
  unsigned char HostReserved6[2];
  double ValueA;
  double ValueB;
  double ValueC;
  double OutValue;         // read from the emulator on every step
  DCSValue* Fields;        // one slot per controller field definition
  std::uint8_t ValueCSet;  // 1 once ValueC has been written
  std::uint8_t OutValid;   // 1 when OutValue holds a good reading
};

// One process variable or process-variable import.
struct DCSPoint {
  unsigned char HostReserved0[2];
  std::int16_t Ident;
  std::int16_t Active;  // nonzero: takes part in the step exchange
  unsigned char HostReserved6[2];
  double Value;      // what a process variable sends to the emulator
  DCSValue* Fields;  // one slot per field definition of its list
};

// The part of the host's record the driver uses; the host's record may go on
// beyond it.
struct DCSData {
  std::int32_t GenDefCnt;
  DCSDataDef* GenDef;
  std::int32_t CtrlDefCnt;
  DCSDataDef* CtrlDef;
  std::int32_t PVDefCnt;
  DCSDataDef* PVDef;
  std::int32_t PVImportDefCnt;
  DCSDataDef* PVImportDef;
  DCSValue* GenData;
  std::int32_t CtrlCnt;
  DCSCtrl* Ctrl;
  unsigned char HostReserved44[4];
  std::int16_t CtrlWord;
  unsigned char HostReserved50[2];
  double CtrlReal1;
  double CtrlReal2;
  double CtrlReal3;
  double CtrlReal4;
  DCSValue* CtrlDataDefault;
  std::uint8_t CtrlFlag1;
  std::uint8_t CtrlFlag2;
  std::int32_t PVCnt;
  DCSPoint* PV;
  unsigned char HostReserved98[8];
  double PVReal;
  DCSValue* PVDataDefault;
  std::int32_t PVImportCnt;
  DCSPoint* PVImport;
  unsigned char HostReserved126[8];
  double PVImportReal;
  DCSValue* PVImportDataDefault;
};

#pragma pack(pop)

// The host's layout holds wherever pointers are 4 bytes wide (the Windows DLL
// and the 32-bit Linux build); with 8-byte pointers the same declarations
// simply grow.
inline constexpr bool HOST_POINTER_WIDTH = sizeof(void*) == 4;
#define DCS_AT(type, member, offset) \
  static_assert(!HOST_POINTER_WIDTH || offsetof(type, member) == (offset), #type "::" #member)

static_assert(!HOST_POINTER_WIDTH || sizeof(DCSValue) == 8);
static_assert(!HOST_POINTER_WIDTH || sizeof(DCSDataDef) == 24);
static_assert(!HOST_POINTER_WIDTH || sizeof(DCSCtrl) == 46);
static_assert(!HOST_POINTER_WIDTH || sizeof(DCSPoint) == 20);
static_assert(!HOST_POINTER_WIDTH || sizeof(DCSData) == 146);
DCS_AT(DCSDataDef, Type, 0);
DCS_AT(DCSDataDef, Name, 4);
DCS_AT(DCSDataDef, Moniker, 8);
DCS_AT(DCSDataDef, Aux, 12);
DCS_AT(DCSDataDef, AuxPtr1, 16);
DCS_AT(DCSDataDef, AuxPtr2, 20);
DCS_AT(DCSCtrl, Active, 4);
DCS_AT(DCSCtrl, ValueA, 8);
DCS_AT(DCSCtrl, ValueB, 16);
DCS_AT(DCSCtrl, ValueC, 24);
DCS_AT(DCSCtrl, OutValue, 32);
DCS_AT(DCSCtrl, Fields, 40);
DCS_AT(DCSCtrl, ValueCSet, 44);
DCS_AT(DCSCtrl, OutValid, 45);
DCS_AT(DCSPoint, Ident, 2);
DCS_AT(DCSPoint, Active, 4);
DCS_AT(DCSPoint, Value, 8);
DCS_AT(DCSPoint, Fields, 16);
DCS_AT(DCSData, GenDefCnt, 0);
DCS_AT(DCSData, GenDef, 4);
DCS_AT(DCSData, CtrlDefCnt, 8);
DCS_AT(DCSData, CtrlDef, 12);
DCS_AT(DCSData, PVDefCnt, 16);
DCS_AT(DCSData, PVDef, 20);
DCS_AT(DCSData, PVImportDefCnt, 24);
DCS_AT(DCSData, PVImportDef, 28);
DCS_AT(DCSData, GenData, 32);
DCS_AT(DCSData, CtrlCnt, 36);
DCS_AT(DCSData, Ctrl, 40);
DCS_AT(DCSData, CtrlWord, 48);
DCS_AT(DCSData, CtrlReal1, 52);
DCS_AT(DCSData, CtrlReal2, 60);
DCS_AT(DCSData, CtrlReal3, 68);
DCS_AT(DCSData, CtrlReal4, 76);
DCS_AT(DCSData, CtrlDataDefault, 84);
DCS_AT(DCSData, CtrlFlag1, 88);
DCS_AT(DCSData, CtrlFlag2, 89);
DCS_AT(DCSData, PVCnt, 90);
DCS_AT(DCSData, PV, 94);
DCS_AT(DCSData, PVReal, 106);
DCS_AT(DCSData, PVDataDefault, 114);
DCS_AT(DCSData, PVImportCnt, 118);
DCS_AT(DCSData, PVImport, 122);
DCS_AT(DCSData, PVImportReal, 134);
DCS_AT(DCSData, PVImportDataDefault, 142);
#undef DCS_AT

// Slot access by bytes: a slot sits wherever the host's array puts it.
inline std::int32_t slot_int(const DCSValue& slot) {
  std::int32_t value;
  std::memcpy(&value, slot.Bytes, sizeof value);
  return value;
}
// Writes bytes 0 to 3 only; bytes 4 to 7 keep what they held.
inline void set_slot_int(DCSValue& slot, std::int32_t value) {
  std::memcpy(slot.Bytes, &value, sizeof value);
}
inline double slot_real(const DCSValue& slot) {
  double value;
  std::memcpy(&value, slot.Bytes, sizeof value);
  return value;
}
inline void set_slot_real(DCSValue& slot, double value) {
  std::memcpy(slot.Bytes, &value, sizeof value);
}
inline char* slot_text(const DCSValue& slot) {
  char* text;
  std::memcpy(&text, slot.Bytes, sizeof text);
  return text;
}
inline void set_slot_text(DCSValue& slot, char* text) {
  std::memcpy(slot.Bytes, &text, sizeof text);
}

// The emulator's library reads and writes these members in place: the
// interface hands it their addresses, which may be misaligned. Only that
// library may use them.
inline double* out_value_address(DCSCtrl& ctrl) {
  return static_cast<double*>(
      static_cast<void*>(reinterpret_cast<unsigned char*>(&ctrl) + offsetof(DCSCtrl, OutValue)));
}
inline double* value_address(DCSPoint& point) {
  return static_cast<double*>(
      static_cast<void*>(reinterpret_cast<unsigned char*>(&point) + offsetof(DCSPoint, Value)));
}
