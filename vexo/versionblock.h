// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef VEXO_VERSIONBLOCK_H_
#define VEXO_VERSIONBLOCK_H_

// The plug-in file's version block lives in an ELF section of its own, so a
// tool can read it from the file without loading the library. The section
// holds a header line and then one "Key=Value" line per entry, UTF-8, ending
// with a NUL.
constexpr const char* kVersionSectionName = ".vexo_version";
constexpr const char* kVersionBlockHeader = "VEXO-VERSION-BLOCK 1";

#endif  // VEXO_VERSIONBLOCK_H_
