// SPDX-License-Identifier: GPL-3.0-or-later
// A loadable shared library that is no in-process server.
extern "C" int notAServer() {
    return 0;
}
