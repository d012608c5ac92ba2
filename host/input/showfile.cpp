#include "host/input/showfile.h"

#include <charconv>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>

#include "vexo/vexotypelib.h"

namespace vexohost {
namespace {

constexpr int32_t kChannelValueMsg = vexo::kMsgChannelValue;
// Longer than any show should run: 100 days in ms. Keeps sums far from overflow.
constexpr int64_t kMaxTimeMs = 100LL * 24 * 3600 * 1000;
constexpr size_t kMaxDmxSlots = 512;
// A show file this large is a mistake, not a show.
constexpr std::streamoff kMaxShowFileSize = 512LL * 1024 * 1024;

struct Token {
    std::string_view text;
    int column;  // 1-based
};

std::vector<Token> tokenize(std::string_view line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) tokens.push_back({line.substr(start, i - start), int(start) + 1});
    }
    return tokens;
}

template <class Int>
bool parseInt(std::string_view text, Int* value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return ec == std::errc() && end == text.data() + text.size();
}

std::string_view stripLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

std::string ShowError::toString() const {
    std::ostringstream out;
    out << file << ':' << line << ':' << column << ": " << message;
    return out.str();
}

std::optional<ShowError> ShowLineParser::parseLine(std::string_view line, int lineNumber,
                                                   std::vector<ShowEvent>* out) {
    line = stripLine(line);
    if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    const std::vector<Token> tokens = tokenize(line);
    if (tokens.empty()) return std::nullopt;

    auto error = [&](int column, std::string message) {
        return ShowError{m_file, lineNumber, column, std::move(message)};
    };

    const Token& time = tokens[0];
    const bool relative = time.text.front() == '+';
    int64_t ms = 0;
    if (!parseInt(time.text, &ms) || ms < 0 || (time.text.front() == '-'))
        return error(time.column, "expected a time in ms (1500) or after the previous line (+250), got '" +
                                      std::string(time.text) + "'");
    const int64_t when = relative ? m_time + ms : ms;
    if (ms > kMaxTimeMs || when > kMaxTimeMs) return error(time.column, "time too large");
    if (when < m_time)
        return error(time.column, "time goes back: " + std::to_string(when) + " ms is before " +
                                      std::to_string(m_time) + " ms");
    if (tokens.size() == 1)
        return error(int(line.size()) + 1, "expected CHANNEL=VALUE pairs or 'msg M A1 A2'");

    std::vector<ShowEvent> events;
    if (tokens[1].text == "msg") {
        if (tokens.size() != 5)
            return error(tokens[1].column, "'msg' takes exactly three numbers: msg M A1 A2");
        int32_t values[3];
        for (int k = 0; k < 3; ++k) {
            const Token& t = tokens[size_t(k) + 2];
            if (!parseInt(t.text, &values[k]))
                return error(t.column, "expected a 32-bit integer, got '" + std::string(t.text) + "'");
        }
        events.push_back({when, values[0], values[1], values[2], lineNumber});
    } else {
        for (size_t k = 1; k < tokens.size(); ++k) {
            const Token& t = tokens[k];
            const size_t equals = t.text.find('=');
            if (equals == std::string_view::npos)
                return error(t.column, "expected CHANNEL=VALUE, got '" + std::string(t.text) + "'");
            int32_t channel = 0, value = 0;
            if (!parseInt(t.text.substr(0, equals), &channel))
                return error(t.column, "channel is not a 32-bit integer: '" +
                                           std::string(t.text.substr(0, equals)) + "'");
            if (!parseInt(t.text.substr(equals + 1), &value))
                return error(t.column + int(equals) + 1, "value is not a 32-bit integer: '" +
                                                             std::string(t.text.substr(equals + 1)) + "'");
            events.push_back({when, kChannelValueMsg, channel, value, lineNumber});
        }
    }
    m_time = when;
    out->insert(out->end(), events.begin(), events.end());
    return std::nullopt;
}

namespace {

Show parseOlaRecording(const std::vector<std::string_view>& lines, const std::string& file,
                       const ShowOptions& options) {
    Show show;
    show.fromOlaRecorder = true;
    auto fail = [&](int line, int column, std::string message) {
        show.events.clear();
        show.error = ShowError{file, line, column, std::move(message)};
        return show;
    };

    std::optional<unsigned> chosen = options.universe;
    std::map<unsigned, std::vector<uint8_t>> previous;
    int64_t time = 0;
    bool expectFrame = true;
    for (size_t n = 1; n < lines.size(); ++n) {
        const int lineNumber = int(n) + 1;
        const std::string_view line = stripLine(lines[n]);
        if (line.empty()) {
            if (n + 1 == lines.size()) break;  // the file's final newline
            return fail(lineNumber, 1,
                        expectFrame ? "expected a frame line: UNIVERSE v1,v2,..."
                                    : "expected the wait in ms before the next frame");
        }
        if (!expectFrame) {
            int64_t wait = 0;
            if (!parseInt(line, &wait) || wait < 0 || wait > kMaxTimeMs)
                return fail(lineNumber, 1,
                            "expected the wait in ms before the next frame, got '" + std::string(line) + "'");
            time += wait;
            if (time > kMaxTimeMs) return fail(lineNumber, 1, "show too long");
            expectFrame = true;
            continue;
        }
        const std::vector<Token> tokens = tokenize(line);
        if (tokens.size() != 2) return fail(lineNumber, 1, "expected a frame line: UNIVERSE v1,v2,...");
        unsigned universe = 0;
        if (!parseInt(tokens[0].text, &universe))
            return fail(lineNumber, tokens[0].column,
                        "universe is not a number: '" + std::string(tokens[0].text) + "'");
        std::vector<uint8_t> frame;
        std::string_view values = tokens[1].text;
        int column = tokens[1].column;
        while (true) {
            const size_t comma = values.find(',');
            const std::string_view item = values.substr(0, comma);
            unsigned value = 0;
            if (!parseInt(item, &value) || value > 255)
                return fail(lineNumber, column, "slot value must be 0..255, got '" + std::string(item) + "'");
            if (frame.size() == kMaxDmxSlots) return fail(lineNumber, column, "more than 512 slots");
            frame.push_back(static_cast<uint8_t>(value));
            if (comma == std::string_view::npos) break;
            values.remove_prefix(comma + 1);
            column += int(comma) + 1;
        }
        expectFrame = false;
        if (!chosen) chosen = universe;
        if (universe != *chosen) continue;

        auto [it, first] = previous.try_emplace(universe);
        std::vector<uint8_t>& last = it->second;
        for (size_t slot = 0; slot < frame.size(); ++slot) {
            if (first || slot >= last.size() || last[slot] != frame[slot])
                show.events.push_back(
                    {time, kChannelValueMsg, int32_t(slot) + 1, int32_t(frame[slot]), lineNumber});
        }
        if (last.size() < frame.size()) last.resize(frame.size());
        std::copy(frame.begin(), frame.end(), last.begin());
    }
    if (!chosen) return fail(int(lines.size()), 1, "the recording holds no frame");
    if (options.universe && previous.empty())
        return fail(int(lines.size()), 1,
                    "the recording holds no frame of universe " + std::to_string(*chosen));
    show.universe = *chosen;
    return show;
}

}  // namespace

Show parseShow(std::string_view text, const std::string& file, const ShowOptions& options) {
    std::vector<std::string_view> lines;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = text.find('\n', start);
        lines.push_back(
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    if (!lines.empty() && stripLine(lines[0]) == "OLA Show") return parseOlaRecording(lines, file, options);

    Show show;
    ShowLineParser parser(file);
    for (size_t n = 0; n < lines.size(); ++n) {
        if (auto error = parser.parseLine(lines[n], int(n) + 1, &show.events)) {
            show.events.clear();
            show.error = std::move(error);
            return show;
        }
    }
    return show;
}

Show loadShow(const std::string& path, const ShowOptions& options) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Show show;
    if (!in) {
        show.error = ShowError{path, 0, 0, std::string("cannot open: ") + std::strerror(errno)};
        return show;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxShowFileSize) {
        show.error = ShowError{path, 0, 0, "file too large for a show"};
        return show;
    }
    in.seekg(0);
    std::string text(static_cast<size_t>(size), '\0');
    in.read(text.data(), size);
    return parseShow(text, path, options);
}

}  // namespace vexohost
