// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/statustext.h"

#include <QLocale>
#include <QRegularExpression>

#include "host/input/showplayer.h"

namespace vexohost {
namespace {

QString counted(int64_t n) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(qlonglong(n));
}

}  // namespace

QString clockTime(int64_t ms) {
    const int64_t seconds = std::max<int64_t>(ms, 0) / 1000;
    const int64_t h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    if (h > 0) return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QChar('0')).arg(s, 2, 10, QChar('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QChar('0'));
}

std::optional<int64_t> parseClockTime(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*(?:(?:(\\d+):)?(\\d+):)?(\\d+)(?:\\.(\\d{1,3}))?\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || m.captured(3).size() > 9) return std::nullopt;
    const bool minutes = m.hasCaptured(2), hours = m.hasCaptured(1);
    const int64_t h = hours ? m.captured(1).toLongLong() : 0, min = minutes ? m.captured(2).toLongLong() : 0,
                  s = m.captured(3).toLongLong();
    // Below the largest unit, minutes and seconds stay under 60.
    if ((hours && min >= 60) || (minutes && s >= 60) || h > 2400 || min > 144000) return std::nullopt;
    const QString fraction = m.captured(4).leftJustified(3, QLatin1Char('0'));
    return ((h * 60 + min) * 60 + s) * 1000 + (m.hasCaptured(4) ? fraction.toLongLong() : 0);
}

QString showStatus(const ShowState& state) {
    if (state.ended) return QStringLiteral("%1 ended at %2").arg(state.name, clockTime(state.positionMs));
    QString text = state.name + QLatin1Char(' ') + clockTime(state.positionMs);
    if (state.lengthMs) text += QStringLiteral(" / ") + clockTime(*state.lengthMs);
    if (state.paused)
        text += QStringLiteral(" (paused)");
    else if (state.looping)
        text += QStringLiteral(" (looping)");
    return text;
}

ShowState showState(const ShowPlayer& player, const QString& name) {
    ShowState state;
    state.name = name;
    state.positionMs = player.showTimeMs() - player.fromMs();
    state.lengthMs = player.canSeek() ? player.passLengthMs() : std::nullopt;
    state.looping = player.loops();
    state.paused = player.isPaused();
    state.ended = !player.isRunning();
    return state;
}

QString liveStatus(unsigned universe, std::optional<double> framesPerSecond, int64_t sinceFrameMs) {
    const QString text = QStringLiteral("universe %1 from olad").arg(universe);
    const double interval = framesPerSecond && *framesPerSecond > 0 ? 1000.0 / *framesPerSecond : 1000.0 / 3;
    if (double(sinceFrameMs) > 3 * interval)
        return text + QStringLiteral(": last frame %1 s ago").arg(double(sinceFrameMs) / 1000.0, 0, 'f', 1);
    if (!framesPerSecond) return text;
    return text + QStringLiteral(": %1 frames/s").arg(*framesPerSecond, 0, 'f', 1);
}

QString noDataStatus(unsigned universe, int64_t quietMs) {
    return QStringLiteral("universe %1: no data for %2 s").arg(universe).arg(quietMs / 1000);
}

QString standardInputStatus(int64_t lines, bool ended) {
    const QString count = counted(lines) + (lines == 1 ? QStringLiteral(" line") : QStringLiteral(" lines"));
    return ended ? QStringLiteral("standard input ended after ") + count
                 : QStringLiteral("standard input: ") + count;
}

QString failureStatus(int count, const QString& last) {
    if (count <= 0) return {};
    if (count == 1) return QStringLiteral("1 failure: ") + last;
    return QStringLiteral("%1 failures, the last: %2").arg(counted(count), last);
}

}  // namespace vexohost
