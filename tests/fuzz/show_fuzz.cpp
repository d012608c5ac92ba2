// SPDX-License-Identifier: GPL-3.0-or-later
// The show reader, both formats: what the file reader plays (check pass,
// then blocks from the file) is exactly what the reader in memory reads, an
// error leaves no events, and events come in time order within their range.

#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "host/input/linereader.h"
#include "host/input/showfile.h"
#include "host/input/showparser.h"
#include "tests/fuzz/fuzzcheck.h"

using namespace vexohost;

namespace {

constexpr int64_t kMaxTimeMs = 100LL * 24 * 3600 * 1000;

void checkShow(std::string_view text, const ShowOptions& options) {
    const Show show = parseShow(text, "fuzz.show", options);
    if (show.error) FUZZ_CHECK(show.events.empty());
    for (size_t i = 0; i < show.events.size(); ++i) {
        const ShowEvent& e = show.events[i];
        FUZZ_CHECK(e.timeMs >= 0 && e.timeMs <= kMaxTimeMs);
        if (i > 0) FUZZ_CHECK(show.events[i - 1].timeMs <= e.timeMs);
        if (show.format == ShowFormat::Recording)
            FUZZ_CHECK(e.msg == 15 && e.arg1 >= 1 && e.arg1 <= 512 && e.arg2 >= 0 && e.arg2 <= 255);
    }

    // The same text as a file: checked, then played in blocks.
    if (text.size() > LineReader::kMaxLineBytes) return;  // the file reader also limits lines
    const int fd = memfd_create("show", MFD_CLOEXEC);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::write(fd, text.data(), text.size()) == ssize_t(text.size()));
    ShowError error;
    const std::unique_ptr<ShowFile> file =
        ShowFile::open("/proc/self/fd/" + std::to_string(fd), options, &error);
    ::close(fd);
    FUZZ_CHECK(!file == show.error.has_value());
    if (!file) {
        FUZZ_CHECK(error.line == show.error->line && error.column == show.error->column &&
                   error.message == show.error->message);
        return;
    }
    ShowBatch batch;
    size_t next = 0;
    ShowSource::Step step;
    while ((step = file->next(&batch)) == ShowSource::Step::Batch) {
        for (const HostMessage& m : batch.messages) {
            FUZZ_CHECK(next < show.events.size());
            const ShowEvent& e = show.events[next++];
            FUZZ_CHECK(e.timeMs == batch.timeMs && e.message() == m);
        }
    }
    FUZZ_CHECK(step == ShowSource::Step::End && next == show.events.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkShow(text, {});
    checkShow(text, ShowOptions{2u});  // a chosen universe
    return 0;
}
