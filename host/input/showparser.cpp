// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/showparser.h"

#include "host/input/showsyntax.h"

namespace vexohost {

ShowParser::ShowParser(std::string file, const ShowOptions& options)
    : m_text(file), m_recording(file, options.universe) {}

void ShowParser::restart() {
    m_format.reset();
    m_text.restart();
    m_recording.restart();
}

std::optional<ShowError> ShowParser::parseLine(std::string_view line, int64_t lineNumber, ShowBatch* out) {
    if (!m_format) {
        m_format = syntax::stripLine(line) == "OLA Show" ? ShowFormat::Recording : ShowFormat::Text;
        if (*m_format == ShowFormat::Recording) {
            out->messages.clear();
            return std::nullopt;
        }
    }
    return *m_format == ShowFormat::Text ? m_text.parseLine(line, lineNumber, out)
                                         : m_recording.parseLine(line, lineNumber, out);
}

std::optional<ShowError> ShowParser::finish(int64_t lines) const {
    if (m_format == ShowFormat::Recording) return m_recording.finish(lines);
    return std::nullopt;
}

Show parseShow(std::string_view text, const std::string& file, const ShowOptions& options) {
    Show show;
    ShowParser parser(file, options);
    ShowBatch batch;
    int64_t lineNumber = 0;
    auto fail = [&](ShowError error) {
        show.events.clear();
        show.error = std::move(error);
        return show;
    };
    for (size_t start = 0; start < text.size();) {
        const size_t newline = text.find('\n', start);
        const size_t end = newline == std::string_view::npos ? text.size() : newline;
        if (auto error = parser.parseLine(text.substr(start, end - start), ++lineNumber, &batch))
            return fail(std::move(*error));
        for (const HostMessage& m : batch.messages)
            show.events.push_back({batch.timeMs, m.msg, m.arg1, m.arg2, batch.line});
        start = end + 1;
    }
    if (auto error = parser.finish(lineNumber)) return fail(std::move(*error));
    show.format = parser.format().value_or(ShowFormat::Text);
    show.universe = parser.universe().value_or(0);
    return show;
}

}  // namespace vexohost
