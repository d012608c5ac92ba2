// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BENCH_EMPTYPLUGIN_H_
#define BENCH_EMPTYPLUGIN_H_

#include "platform/com/comptr.h"
#include "vexo/vexotypelib.h"

// The baseline of the message benchmarks: an IVexoPlugin whose members do
// nothing but answer. Defined in a file of its own, so that the compiler
// cannot see through the call and the baseline is a real call through the
// vtable, as the plug-in's is. The caller owns the returned reference.
com::ComPtr<vexo::IVexoPlugin> makeEmptyPlugin();

#endif  // BENCH_EMPTYPLUGIN_H_
