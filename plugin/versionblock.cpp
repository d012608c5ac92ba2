// SPDX-License-Identifier: GPL-3.0-or-later
#include "vexo/versionblock.h"

// File and product version 2.9.0.0 (shown as "2.09"), German with the Unicode
// code page. The empty OLESelfRegister entry marks the file as registering
// itself through DllRegisterServer.
extern "C" __attribute__((section(".vexo_version"), used, visibility("hidden")))
const char kNimboVersionBlock[] =
    "VEXO-VERSION-BLOCK 1\n"
    "FileVersionBinary=2.9.0.0\n"
    "ProductVersionBinary=2.9.0.0\n"
    "Translation=0x0407 0x04B0\n"
    "FileVersion=2.09\n"
    "ProductVersion=2.09\n"
    "InternalName=Nimbolux\n"
    "OriginalFilename=" NIMBO_ORIGINAL_FILENAME
    "\n"
    "ProductName=Nimbos\n"
    "CompanyName=Nimbo Lux developers\n"
    "LegalCopyright=Copyright (C) 2026 the Nimbo Lux developers\n"
    "OLESelfRegister=\n";
