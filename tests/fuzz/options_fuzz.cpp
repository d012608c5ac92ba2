// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: arguments split at NUL bytes. Either one line that says
// what is wrong, or options inside the ranges --help promises.

#include <QString>
#include <QStringList>
#include <cmath>

#include "host/app/hostoptions.h"
#include "tests/fuzz/fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QStringList arguments = {QStringLiteral("vexo-host")};
    const auto* text = reinterpret_cast<const char*>(data);
    for (size_t start = 0; start <= size;) {
        size_t end = start;
        while (end < size && text[end] != '\0') ++end;
        arguments << QString::fromUtf8(text + start, qsizetype(end - start));
        start = end + 1;
    }
    const vexohost::ParsedOptions parsed = vexohost::parseHostOptions(arguments);
    if (!parsed.error.isEmpty()) {
        FUZZ_CHECK(!parsed.error.contains(QLatin1Char('\n')));
        return 0;
    }
    const vexohost::HostOptions& o = parsed.options;
    FUZZ_CHECK(o.base >= 1 && o.base <= 512);
    FUZZ_CHECK(o.fps >= 1 && o.fps <= 100);
    FUZZ_CHECK(std::isfinite(o.speed) && o.speed >= 0.001 && o.speed <= 1000);
    FUZZ_CHECK(!o.durationSeconds || (*o.durationSeconds >= 0 && *o.durationSeconds <= 1e9));
    FUZZ_CHECK(o.fromMs >= 0 && (!o.toMs || *o.toMs > o.fromMs));
    FUZZ_CHECK(o.olaPort >= 1);
    FUZZ_CHECK(!(o.loop && !o.recordPath.isEmpty() && !o.durationSeconds));
    const bool show = o.input == vexohost::InputKind::Demo || o.input == vexohost::InputKind::Play;
    FUZZ_CHECK(show || (!o.loop && o.fromMs == 0 && !o.toMs));
    FUZZ_CHECK(!parsed.help || !parsed.helpText.isEmpty());
    FUZZ_CHECK(!o.plotSizeGiven || !o.plotPath.isEmpty());
    // An output named is a name, not an option the shell left in its place.
    for (const QString* path : {&o.snapshotPath, &o.recordPath, &o.plotPath, &o.csvPath, &o.savedShowPath})
        FUZZ_CHECK(!path->startsWith(QLatin1String("--")));
    return 0;
}
