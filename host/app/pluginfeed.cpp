// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/pluginfeed.h"

#include "host/session/pluginsession.h"

namespace vexohost {

PluginFeed::PluginFeed(PluginSession& session, QObject* parent) : QObject(parent), m_session(session) {
    connect(&m_displayWatch, &DisplayWatch::shownAgain, this, &PluginFeed::sendLastValues);
}

void PluginFeed::watch(QWidget* display) {
    m_displayWatch.watch(display);
}

void PluginFeed::send(const HostMessage& message) {
    pass(message);
    // The message may have loaded a display that was closed: it has every
    // other nimbo unlit, so they get their values again.
    if (m_displayWatch.stale()) sendLastValues();
}

void PluginFeed::pass(const HostMessage& message) {
    com::HRESULT status = com::S_OK;
    if (!m_session.deliver(message.msg, message.arg1, message.arg2, &status)) {
        ++m_skipped;
        return;
    }
    ++m_passed;
    m_sent.take(message);
    if (com::SUCCEEDED(status)) return;
    ++m_failed;
    const QString what =
        message.msg == vexo::kMsgChannelValue
            ? QStringLiteral("channel %1 = %2").arg(message.arg1).arg(message.arg2)
            : QStringLiteral("message %1 (%2, %3)").arg(message.msg).arg(message.arg1).arg(message.arg2);
    reportFailure(what + QStringLiteral(": ") + describeFailure(status));
}

void PluginFeed::sendLastValues() {
    m_displayWatch.refreshed();
    for (int channel = 1; channel <= SentValues::kChannels; ++channel) {
        const std::optional<int32_t> value = m_sent.value(channel);
        if (!value) continue;
        // The display ignores a value out of its range and shows the one before.
        if (glowLevel(*value) < 0) pass(HostMessage::channelValue(channel, m_sent.shownValue(channel)));
        pass(HostMessage::channelValue(channel, *value));
    }
}

void PluginFeed::reportFailure(const QString& text) {
    ++m_reported;
    m_lastFailure = text;
    m_failureReport.report(text);
}

void PluginFeed::flushFailures() {
    m_failureReport.flush();
}

QString PluginFeed::summary() const {
    return QStringLiteral("%1 messages passed to the plug-in, %2 not wanted, %3 failed")
        .arg(m_passed)
        .arg(m_skipped)
        .arg(m_failed);
}

}  // namespace vexohost
