// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/timing/livelatency.h"

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "bench/timing/windowedhost.h"
#include "host/app/hostapp.h"
#include "tests/ola/dmxsender.h"
#include "tests/ola/oladsandbox.h"

namespace timingprobe {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kApart = std::chrono::milliseconds(50);

// The end of each repaint of one window: the window's update requests (in
// which it paints what changed and flushes it to the window system) are
// handed to it from here, and timed as they return.
class RepaintClock : public QObject {
public:
    explicit RepaintClock(size_t expected) { m_ends.reserve(expected * 2 + 16); }
    const std::vector<Clock::time_point>& ends() const { return m_ends; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::UpdateRequest) return false;
        static_cast<QObject*>(watched)->event(event);
        m_ends.push_back(Clock::now());
        return true;
    }

private:
    std::vector<Clock::time_point> m_ends;
};

// The plug-in's display: the shown top-level window that is not the host's own.
QWidget* displayWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && !window->inherits("vexohost::MainWindow") &&
            !window->inherits("vexohost::FaderWindow"))
            return window;
    return nullptr;
}

void pumpFor(std::chrono::milliseconds span) {
    const auto end = Clock::now() + span;
    while (Clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace

LatencyFigures measureLiveLatency(const QTemporaryDir& dir, size_t frames, QString* why) {
    LatencyFigures figures;
    if (*why = olatest::OladSandbox::unavailableReason(); !why->isEmpty()) return figures;
    olatest::OladSandbox olad(olatest::OladSandbox::freePort());
    if (!olad.start(why)) return figures;

    vexohost::HostOptions options = windowedHost(dir, QStringLiteral("latency-"), vexohost::InputKind::Ola);
    options.universe = 1;
    options.olaPort = olad.port();
    vexohost::HostApp app(options);
    if (app.start() != vexohost::kExitOk) {
        *why = QStringLiteral("vexo-host did not start");
        return figures;
    }
    // Registered with olad, and the display painted once.
    pumpFor(std::chrono::milliseconds(1500));
    QWidget* display = displayWindow();
    if (!display) {
        *why = QStringLiteral("no display window");
        app.finish();
        return figures;
    }
    RepaintClock repaints(frames);
    display->installEventFilter(&repaints);

    std::vector<Clock::time_point> sent(frames);
    std::atomic<size_t> handed{0};
    std::thread sender([&] {
        olatest::DmxSender console(olad.port());
        if (console.connect()) {
            std::vector<uint8_t> values(9, 0);
            const auto start = Clock::now();
            for (size_t i = 0; i < frames; ++i) {
                values[0] = i % 2 == 0 ? 255 : 0;
                sent[i] = Clock::now();
                if (!console.send(1, values)) break;
                handed = i + 1;
                std::this_thread::sleep_until(start + kApart * (i + 1));
            }
        }
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    });
    QApplication::exec();
    sender.join();
    display->removeEventFilter(&repaints);
    app.finish();

    // Each frame's latency: to the end of the first repaint after it was
    // handed over and before the next one was.
    std::vector<double> latencies;
    const std::vector<Clock::time_point>& ends = repaints.ends();
    for (size_t i = 0; i < handed; ++i) {
        const auto after = std::lower_bound(ends.begin(), ends.end(), sent[i]);
        if (after == ends.end() || (i + 1 < handed && *after >= sent[i + 1])) continue;
        latencies.push_back(std::chrono::duration<double, std::milli>(*after - sent[i]).count());
    }
    figures.frames = frames;
    figures.repainted = latencies.size();
    if (latencies.empty()) return figures;
    std::sort(latencies.begin(), latencies.end());
    figures.medianMs = latencies[latencies.size() / 2];
    figures.p95Ms = latencies[size_t(0.95 * double(latencies.size() - 1))];
    figures.maxMs = latencies.back();
    return figures;
}

}  // namespace timingprobe
