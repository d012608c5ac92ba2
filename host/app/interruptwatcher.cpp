// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/interruptwatcher.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

#include "host/files/atomicfile.h"

namespace vexohost {
namespace {

int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_pending = 0;
volatile sig_atomic_t g_atOnce = 0;

// A second signal before the event loop took the first means the loop is
// stuck (a write to a reader that stopped reading, say): it ends the
// process at once, as if no handler were installed.
extern "C" void onSignal(int number) {
    if (g_pending || g_atOnce) {
        static const char kSaid[] = "vexo-host: interrupted; the outputs not yet complete are not written\n";
        if (g_atOnce) {
            [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, kSaid, sizeof kSaid - 1);
        }
        AtomicFile::removePartsNow();
        ::signal(number, SIG_DFL);
        ::raise(number);
        return;
    }
    g_pending = 1;
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

InterruptWatcher::InterruptWatcher(QObject* parent) : QObject(parent) {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &InterruptWatcher::readPipe);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

InterruptWatcher::~InterruptWatcher() {
    if (g_pipe[0] < 0) return;
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    m_notifier.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void InterruptWatcher::endAtOnce() {
    g_atOnce = 1;
}

void InterruptWatcher::readPipe() {
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        g_pending = 0;
        Q_EMIT interrupted(byte);
    }
}

}  // namespace vexohost
