// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_OPTIONVALUES_H_
#define HOST_APP_OPTIONVALUES_H_

#include <QSize>
#include <QString>
#include <QtGlobal>
#include <cstdint>

namespace vexohost {

// The values of vexo-host's options as people write them, read and written
// back. Each reader returns false, and sets nothing, for text it does not
// take. Any thread; they hold nothing.

// "HOST:PORT", where olad's RPC port listens: an IPv4 address or
// "localhost", and a port 1..65535.
bool parseOlaServer(const QString& server, QString* host, quint16* port);

// A moment of a show: milliseconds (90500) or M:SS.mmm (1:30.5, 1:30.500,
// 1:30). Never negative, at most a hundred days.
bool parseShowTime(const QString& text, int64_t* ms);
// "M:SS.mmm"
QString formatShowTime(int64_t ms);

// "WxH" from 320x200 to 8000x8000.
bool parsePlotSize(const QString& text, QSize* size);

// An argument as an error message shows it: on one line, at most 40
// characters, with control characters as \n, \t or \xNN.
QString shownArgument(const QString& text);

}  // namespace vexohost

#endif  // HOST_APP_OPTIONVALUES_H_
