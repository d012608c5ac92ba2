// SPDX-License-Identifier: GPL-3.0-or-later
// Standard input: the bytes arrive on a pipe and are read as they come. The
// reader ends, moments come in time order, every reported line is one that
// was read, and every message is printable, however binary the input.

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "host/input/showfile.h"
#include "tests/fuzz/fuzzcheck.h"

using namespace vexohost;

namespace {

bool printable(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int fds[2];
    FUZZ_CHECK(::pipe2(fds, O_CLOEXEC) == 0);
    // The whole input fits the pipe, so it can be written before it is read.
    if (size > 0 && ::fcntl(fds[1], F_SETPIPE_SZ, int(size)) < int(size)) {
        ::close(fds[0]);
        ::close(fds[1]);
        return 0;
    }
    FUZZ_CHECK(::write(fds[1], data, size) == ssize_t(size));
    ::close(fds[1]);

    const std::unique_ptr<ShowFile> input = ShowFile::stream(fds[0], "<stdin>", {});
    ShowBatch batch;
    int64_t time = 0;
    bool ended = false;
    for (size_t steps = 0; !ended; ++steps) {
        FUZZ_CHECK(steps <= 4 * size + 16);  // every call moves on
        switch (input->next(&batch)) {
            case ShowSource::Step::Batch:
                FUZZ_CHECK(!batch.messages.empty() && batch.timeMs >= time);
                time = batch.timeMs;
                break;
            case ShowSource::Step::LineError:
                FUZZ_CHECK(input->error().line >= 1 && input->error().line <= input->linesRead());
                FUZZ_CHECK(printable(input->error().toString()));
                break;
            case ShowSource::Step::Pending:
                break;  // one read per call; the rest is still in the pipe
            case ShowSource::Step::End:
                ended = true;
                break;
            case ShowSource::Step::Failed:
                FUZZ_CHECK(false);
        }
    }
    ::close(fds[0]);
    return 0;
}
