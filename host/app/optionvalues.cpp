// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/optionvalues.h"

#include <QRegularExpression>

#include "host/input/olalink.h"

namespace vexohost {

bool parseOlaServer(const QString& server, QString* host, quint16* port) {
    const int colon = int(server.lastIndexOf(':'));
    bool portOk = false;
    const uint number = colon > 0 ? server.mid(colon + 1).toUInt(&portOk) : 0;
    uint32_t address = 0;
    if (!portOk || number == 0 || number > 65535 ||
        !OlaLink::parseHost(server.left(colon).toStdString(), &address))
        return false;
    *host = server.left(colon);
    *port = quint16(number);
    return true;
}

bool parseShowTime(const QString& text, int64_t* ms) {
    static const QRegularExpression pattern(
        QStringLiteral("^(?:(\\d{1,7}):([0-5]\\d)(?:\\.(\\d{1,3}))?|(\\d{1,13}))$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) return false;
    int64_t value = 0;
    if (match.hasCaptured(4)) {
        value = match.captured(4).toLongLong();
    } else {
        const QString fraction = match.captured(3).leftJustified(3, '0');
        value = match.captured(1).toLongLong() * 60000 + match.captured(2).toLongLong() * 1000 +
                fraction.toLongLong();
    }
    // A hundred days is longer than any show.
    if (value > 100LL * 24 * 3600 * 1000) return false;
    *ms = value;
    return true;
}

QString formatShowTime(int64_t ms) {
    return QStringLiteral("%1:%2.%3")
        .arg(ms / 60000)
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

bool parsePlotSize(const QString& text, QSize* size) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) return false;
    const int width = match.captured(1).toInt(), height = match.captured(2).toInt();
    if (width < 320 || height < 200 || width > 8000 || height > 8000) return false;
    *size = QSize(width, height);
    return true;
}

QString shownArgument(const QString& text) {
    QString out;
    for (const QChar c : text.left(40)) {
        if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    if (text.size() > 40) out += QStringLiteral("...");
    return out;
}

}  // namespace vexohost
