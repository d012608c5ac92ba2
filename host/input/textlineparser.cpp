// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/textlineparser.h"

#include "host/input/showsyntax.h"
#include "vexo/vexotypelib.h"

namespace vexohost {

using namespace syntax;

namespace {

// A plain decimal int32 ("-12", "255") from *p on; *p moves past it. False
// for anything else, which the careful reading below then looks at.
bool scanInt32(const char** p, const char* end, int32_t* out) {
    const char* q = *p;
    const bool negative = q < end && *q == '-';
    if (negative) ++q;
    const char* digits = q;
    int64_t value = 0;
    while (q < end && *q >= '0' && *q <= '9' && q - digits < 10) value = value * 10 + (*q++ - '0');
    if (q == digits || (q < end && *q >= '0' && *q <= '9')) return false;
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return false;
    *out = int32_t(value);
    *p = q;
    return true;
}

// "CHANNEL=VALUE" followed by a blank or the end, the way nearly every pair
// is written; *p moves past it.
bool scanPair(const char** p, const char* end, HostMessage* out) {
    const char* q = *p;
    int32_t channel = 0, value = 0;
    if (!scanInt32(&q, end, &channel) || q == end || *q != '=') return false;
    ++q;
    if (!scanInt32(&q, end, &value) || (q < end && !isBlank(*q))) return false;
    *out = HostMessage::channelValue(channel, value);
    *p = q;
    return true;
}

}  // namespace

std::optional<ShowError> TextLineParser::parseLine(std::string_view line, int64_t lineNumber,
                                                   ShowBatch* out) {
    out->messages.clear();
    line = stripLine(line);
    if (const size_t cr = line.find('\r'); cr != std::string_view::npos)
        return ShowError{m_file, lineNumber, int(cr) + 1, kLoneCarriageReturn};
    if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    size_t pos = 0;
    const Token time = nextToken(line, &pos);
    if (time.text.empty()) return std::nullopt;

    auto error = [&](int column, std::string message) {
        out->messages.clear();
        return ShowError{m_file, lineNumber, column, std::move(message)};
    };

    const bool relative = time.text.front() == '+';
    int64_t ms = 0;
    if (!parseInt(time.text, &ms) || ms < 0 || time.text.front() == '-')
        return error(time.column, "expected a time in ms (1500) or after the previous line (+250), got " +
                                      quote(time.text));
    // Both are at most kMaxTimeMs, so the sum cannot overflow.
    if (ms > kMaxTimeMs) return error(time.column, "time too large");
    const int64_t when = relative ? m_time + ms : ms;
    if (when > kMaxTimeMs) return error(time.column, "time too large");
    if (when < m_time)
        return error(time.column, "time goes back: " + std::to_string(when) + " ms is before " +
                                      std::to_string(m_time) + " ms");

    Token token = nextToken(line, &pos);
    if (token.text.empty())
        return error(int(line.size()) + 1, "expected CHANNEL=VALUE pairs or 'msg M A1 A2'");
    if (token.text == "msg") {
        const Token keyword = token;
        int32_t values[3];
        for (int32_t& value : values) {
            token = nextToken(line, &pos);
            if (token.text.empty()) break;
            if (!parseInt(token.text, &value))
                return error(token.column, "expected a 32-bit integer, got " + quote(token.text));
        }
        if (token.text.empty() || !nextToken(line, &pos).text.empty())
            return error(keyword.column, "'msg' takes exactly three numbers: msg M A1 A2");
        out->messages.push_back({values[0], values[1], values[2]});
    } else {
        const char* const begin = line.data();
        const char* const end = begin + line.size();
        for (pos = size_t(token.text.data() - begin);;) {
            const char* p = begin + pos;
            while (p < end && isBlank(*p)) ++p;
            if (p == end) break;
            HostMessage pair;
            if (scanPair(&p, end, &pair)) {
                out->messages.push_back(pair);
                pos = size_t(p - begin);
                continue;
            }
            // Anything unusual ('+' signs, errors) is read token by token.
            pos = size_t(p - begin);
            token = nextToken(line, &pos);
            const size_t equals = token.text.find('=');
            if (equals == std::string_view::npos)
                return error(token.column, "expected CHANNEL=VALUE, got " + quote(token.text));
            int32_t channel = 0, value = 0;
            if (!parseInt(token.text.substr(0, equals), &channel))
                return error(token.column,
                             "channel is not a 32-bit integer: " + quote(token.text.substr(0, equals)));
            if (!parseInt(token.text.substr(equals + 1), &value))
                return error(token.column + int(equals) + 1,
                             "value is not a 32-bit integer: " + quote(token.text.substr(equals + 1)));
            out->messages.push_back(HostMessage::channelValue(channel, value));
        }
    }
    m_time = when;
    out->timeMs = when;
    out->line = lineNumber;
    return std::nullopt;
}

}  // namespace vexohost
