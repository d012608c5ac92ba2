// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_WIN32_SYSTEM_H_
#define PLATFORM_COM_WIN32_SYSTEM_H_

// The system's API for the Windows sources of the platform. Include it after
// every header of our own: its macros (S_OK, FAILED, E_POINTER,
// VARIANT_TRUE ...) would rewrite the names of the runtime's declarations.
// clang-format off
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
// clang-format on

#endif  // PLATFORM_COM_WIN32_SYSTEM_H_
