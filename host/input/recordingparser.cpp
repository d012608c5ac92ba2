// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/recordingparser.h"

#include "host/input/showsyntax.h"

namespace vexohost {

using namespace syntax;

RecordingParser::RecordingParser(std::string file, std::optional<unsigned> universe)
    : m_file(std::move(file)), m_asked(universe), m_chosen(universe) {}

void RecordingParser::restart() {
    m_chosen = m_asked;
    m_lastSize = 0;
    m_seen = false;
    m_time = 0;
    m_expectFrame = true;
}

std::optional<ShowError> RecordingParser::parseLine(std::string_view line, int64_t lineNumber,
                                                    ShowBatch* out) {
    out->messages.clear();
    auto fail = [&](int column, std::string message) {
        out->messages.clear();
        return ShowError{m_file, lineNumber, column, std::move(message)};
    };
    line = stripLine(line);
    if (const size_t cr = line.find('\r'); cr != std::string_view::npos)
        return fail(int(cr) + 1, kLoneCarriageReturn);
    if (!m_expectFrame) {
        int64_t wait = 0;
        if (!parseInt(line, &wait) || wait < 0 || wait > kMaxTimeMs)
            return fail(1, "expected the wait in ms before the next frame, got " + quote(line));
        if (m_time + wait > kMaxTimeMs) return fail(1, "show too long");
        m_time += wait;
        m_expectFrame = true;
        return std::nullopt;
    }

    size_t pos = 0;
    const Token universeToken = nextToken(line, &pos);
    const Token values = nextToken(line, &pos);
    if (values.text.empty() || !nextToken(line, &pos).text.empty())
        return fail(1, "expected a frame line: UNIVERSE v1,v2,...");
    unsigned universe = 0;
    if (!parseInt(universeToken.text, &universe))
        return fail(universeToken.column, "universe is not a number: " + quote(universeToken.text));

    // "v1,v2,...": each 0..255, at most 512 of them.
    size_t slots = 0;
    const std::string_view text = values.text;
    for (size_t start = 0;;) {
        size_t end = start;
        unsigned value = 0;
        size_t digits = 0;
        if (end < text.size() && text[end] == '+') ++end;
        for (; end < text.size() && text[end] >= '0' && text[end] <= '9'; ++end, ++digits)
            if ((value = value * 10 + unsigned(text[end] - '0')) > 255) break;
        const bool valid = digits > 0 && value <= 255 && (end == text.size() || text[end] == ',');
        const int column = values.column + int(start);
        if (!valid) {
            const size_t comma = text.find(',', start);
            return fail(column, "slot value must be 0..255, got " + quote(text.substr(start, comma - start)));
        }
        if (slots == kMaxSlots) return fail(column, "more than 512 slots");
        m_frame[slots++] = static_cast<uint8_t>(value);
        if (end == text.size()) break;
        start = end + 1;
    }
    m_expectFrame = false;
    if (!m_chosen) m_chosen = universe;
    if (universe != *m_chosen) return std::nullopt;

    for (size_t slot = 0; slot < slots; ++slot) {
        if (!m_seen || slot >= m_lastSize || m_last[slot] != m_frame[slot])
            out->messages.push_back(HostMessage::channelValue(int32_t(slot) + 1, m_frame[slot]));
        m_last[slot] = m_frame[slot];
    }
    if (slots > m_lastSize) m_lastSize = slots;
    m_seen = true;
    out->timeMs = m_time;
    out->line = lineNumber;
    return std::nullopt;
}

std::optional<ShowError> RecordingParser::finish(int64_t lastLine) const {
    if (!m_chosen) return ShowError{m_file, lastLine, 1, "the recording holds no frame"};
    if (!m_seen)
        return ShowError{m_file, lastLine, 1,
                         "the recording holds no frame of universe " + std::to_string(*m_chosen)};
    return std::nullopt;
}

}  // namespace vexohost
