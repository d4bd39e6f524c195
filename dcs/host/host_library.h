// What the driver takes from its host: the host library (corva.dll), which
// owns the heap shared with the host and turns message keys into text, and
// USER32's MessageBoxA for the driver's own boxes. Each signature is declared
// once as a function type; the stand-ins and tests define and call these
// exact types, so a mismatch does not compile.
#pragma once

#include <cstddef>

#include "host/platform.h"

// The C runtime's math-error record. The driver only passes its address on to
// the host, so the type stays incomplete here.
struct _exception;

// The stand-in host library defines these functions itself.
#ifdef CORVA_IMPLEMENTATION
#define CORVA_API
#else
#define CORVA_API DCS_IMPORT
#endif

#ifdef USER32_IMPLEMENTATION
#define USER32_API
#else
#define USER32_API DCS_IMPORT
#endif

extern "C" {

typedef void* DCS_CDECL Corva_mallocType(std::size_t size);
typedef void DCS_CDECL Corva_freeType(void* block);
typedef void* DCS_CDECL Corva_reallocType(void* block, std::size_t size);
typedef void* DCS_CDECL Corva_callocType(std::size_t count, std::size_t size);
typedef std::size_t DCS_CDECL Corva__msizeType(void* block);
typedef char* DCS_CDECL Corva_strdupType(const char* text);
typedef void* DCS_CDECL Corva_newType(std::size_t size);
typedef void DCS_CDECL Corva_deleteType(void* block);
// Called with the message key alone; the host turns it into the user's text.
typedef void DCS_CDECL ErrorMsgType(const char* key, ...);
typedef const char* DCS_CDECL GetModuleNameType(void);
typedef int DCS_CDECL OvmatherrType(const char* module_name, struct _exception* error);

typedef int DCS_STDCALL MessageBoxAType(void* owner, const char* text, const char* caption,
                                        unsigned int flags);

CORVA_API Corva_mallocType Corva_malloc;
CORVA_API Corva_freeType Corva_free;
CORVA_API Corva_reallocType Corva_realloc;
CORVA_API Corva_callocType Corva_calloc;
CORVA_API Corva__msizeType Corva__msize;
CORVA_API Corva_strdupType Corva_strdup;
CORVA_API Corva_newType Corva_new;
CORVA_API Corva_deleteType Corva_delete;
CORVA_API ErrorMsgType ErrorMsg;
CORVA_API GetModuleNameType GetModuleName;
CORVA_API OvmatherrType Ovmatherr;

USER32_API MessageBoxAType MessageBoxA;

}  // extern "C"

// MessageBoxA's style for a box with one OK button.
#ifndef MB_OK
#define MB_OK 0x00000000L
#endif
