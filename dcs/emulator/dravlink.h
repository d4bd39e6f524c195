// The emulator's client library (DRAVLINK.dll), bound by ordinal. Every
// function removes its own arguments (stdcall) and takes 32-bit arguments.
// A status argument receives 0 for success and any other value for failure.
// Each signature is declared once as a function type; the stand-in library
// defines these exact types.
#pragma once

#include <cstdint>

#include "host/platform.h"

#ifdef DRAVLINK_IMPLEMENTATION
#define DRAVLINK_API
#else
#define DRAVLINK_API DCS_IMPORT
#endif

// The ordinal of each function, as dravlink.def binds them.
enum DravlinkOrdinal : int {
  ORDINAL_GET_INIT_LENGTH = 1,
  ORDINAL_GET_INIT_STRING = 2,
  ORDINAL_RESET = 3,
  ORDINAL_WRITE_ANALOG_IN = 5,
  ORDINAL_READ_ANALOG_OUT = 6,
  ORDINAL_WRITE_DISCRETE_IN = 8,
  ORDINAL_READ_DISCRETE_OUT = 9,
  ORDINAL_READ_DCD_STATE = 10,
  ORDINAL_READ_CALC = 11,
};

extern "C" {

// Ordinal 1: length of the initialization string, terminating zero not
// counted. EMPTY_INIT_LENGTH or less means the emulator offers no tags.
typedef std::int32_t DCS_STDCALL EmuGetInitLengthType(void);
// Ordinal 2: copies the initialization string into a buffer of length + 1.
typedef std::int32_t DCS_STDCALL EmuGetInitStringType(char* buffer);
// Ordinal 3.
typedef std::int32_t DCS_STDCALL EmuResetType(void);

// Ordinals 5 to 11 take the data-set number, the tag text as the host holds
// it, the catalogue entry's handle word (the library's to use), a value and a
// status. The floating results are returned on the x87 stack and discarded.
typedef double DCS_STDCALL EmuWriteAnalogInType(std::int32_t ds, char* tag, std::int32_t* handle,
                                                double* value, std::int32_t* status);
typedef double DCS_STDCALL EmuReadAnalogOutType(std::int32_t ds, char* tag, std::int32_t* handle,
                                                double* value, std::int32_t* status);
typedef std::int32_t DCS_STDCALL EmuWriteDiscreteInType(std::int32_t ds, char* tag,
                                                        std::int32_t* handle, std::int32_t* value,
                                                        std::int32_t* status);
typedef std::int32_t DCS_STDCALL EmuReadDiscreteOutType(std::int32_t ds, char* tag,
                                                        std::int32_t* handle, std::int32_t* value,
                                                        std::int32_t* status);
typedef std::int32_t DCS_STDCALL EmuReadDcdStateType(std::int32_t ds, char* tag,
                                                     std::int32_t* handle, std::int32_t* state,
                                                     std::int32_t* status);
typedef double DCS_STDCALL EmuReadCalcType(std::int32_t ds, char* tag, std::int32_t* handle,
                                           double* value, std::int32_t* status);

DRAVLINK_API EmuGetInitLengthType EmuGetInitLength;
DRAVLINK_API EmuGetInitStringType EmuGetInitString;
DRAVLINK_API EmuResetType EmuReset;
DRAVLINK_API EmuWriteAnalogInType EmuWriteAnalogIn;
DRAVLINK_API EmuReadAnalogOutType EmuReadAnalogOut;
DRAVLINK_API EmuWriteDiscreteInType EmuWriteDiscreteIn;
DRAVLINK_API EmuReadDiscreteOutType EmuReadDiscreteOut;
DRAVLINK_API EmuReadDcdStateType EmuReadDcdState;
DRAVLINK_API EmuReadCalcType EmuReadCalc;

}  // extern "C"
