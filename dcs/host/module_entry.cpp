// The Windows module entry, built into the DLL only: the driver has no work
// of its own for any reason code, and never refuses the load.
#include "host/platform.h"

extern "C" int DCS_STDCALL DllMain(void*, unsigned long, void*) { return 1; }
