// SPDX-License-Identifier: GPL-3.0-or-later
// What a user waits for and what a visible display costs, with the built
// Nimbolux.so loaded as the host loads it:
//
//   creation   the first module information, which creates the display
//              window and decodes its 63 pictures into the picture table,
//              beside decoding the same 63 files with Qt's reader alone;
//   memory     what the picture table holds;
//   repaint    a full repaint of the visible window, beside one drawImage of
//              a picture of the window's size;
//   update     the region one channel message paints (counted from the paint
//              events, not timed), and the heap allocations of the message
//              and of the coalesced repaint that follows it;
//   feed       what the host's feed adds to the plug-in's call, with the
//              channel readouts shown.
//
// Each creation needs a plug-in loaded for the first time: a plug-in stays
// loaded in a process, so every load is of a copy of its own.
//
//   display_bench [--loads N] [--repaints N]

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QPaintEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "host/app/pluginfeed.h"
#include "host/session/hostclasses.h"
#include "host/session/pluginsession.h"
#include "host/windows/channelreadouts.h"
#include "platform/com/registry.h"
#include "platform/forms/formwindow.h"
#include "platform/forms/shutdown.h"
#include "tests/support/allocationcounter.h"

namespace {

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

const char* verdict(bool met) {
    return met ? "met" : "missed";
}

// Heap in use, small and large blocks together.
// Page faults of this process so far (each a new page of memory).
long pageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

// What of this process is in memory, from /proc/self/statm.
double residentMegabytes() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The region painted on a window and its children, in the window's coordinates.
class PaintedRegion : public QObject {
public:
    explicit PaintedRegion(QWidget* window) : m_window(window) {
        window->installEventFilter(this);
        for (QWidget* child : window->findChildren<QWidget*>()) child->installEventFilter(this);
    }
    void clear() { m_region = QRegion(); }
    const QRegion& region() const { return m_region; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* widget = static_cast<QWidget*>(watched);
            const QRegion painted = static_cast<QPaintEvent*>(event)->region();
            m_region += painted.translated(widget->mapTo(m_window, QPoint(0, 0)));
        }
        return false;
    }

private:
    QWidget* m_window;
    QRegion m_region;
};

long regionArea(const QRegion& region) {
    long area = 0;
    for (const QRect& r : region) area += long(r.width()) * r.height();
    return area;
}

void settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    int loads = 9, repaints = 2000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QStringLiteral("--loads")) loads = std::max(1, args[i + 1].toInt());
        if (args[i] == QStringLiteral("--repaints")) repaints = std::max(1, args[i + 1].toInt());
    }
    const QString plugin = QStringLiteral(NIMBO_PLUGIN_FILE);
    const QString images = QFileInfo(plugin).absolutePath() + QStringLiteral("/images");
    const QStringList files = QDir(images).entryList({QStringLiteral("*.gif")}, QDir::Files, QDir::Name);
    if (files.size() != 63) {
        std::fprintf(stderr, "display_bench: %lld pictures in %s, not 63\n", qlonglong(files.size()),
                     qPrintable(images));
        return 1;
    }
    QTemporaryDir dir;
    com::registry().setLocation(dir.filePath(QStringLiteral("registry.txt")).toStdString());
    vexohost::registerHostClasses();
    std::printf("display_bench: platform %s, %d loads, %d repaints\n\n", qPrintable(app.platformName()),
                loads, repaints);

    // ---- Creation, beside Qt's reader on the same files, turn about ----
    // The floor makes the same table with Qt's reader alone: the 63 images
    // decoded and kept, as a table keeps them. A plug-in keeps its pictures
    // while it is loaded, so each load's table stays to the end, and so does
    // each of the floor's: both take new memory every time. Decoding into
    // one image dropped at once reuses the same memory over and over, which
    // no table can; that figure is printed beside it.
    std::vector<double> ours, floor, dropped;
    std::vector<double> oursFaults, floorFaults, droppedFaults;
    double residentGrowth = 0;
    std::vector<std::unique_ptr<vexohost::PluginSession>> sessions;
    std::vector<std::vector<QImage>> floorTables;
    auto decodeAll = [&](std::vector<QImage>* kept) {
        for (const QString& name : files) {
            QImageReader reader(images + QLatin1Char('/') + name);
            QImage image = reader.read();
            if (kept) kept->push_back(std::move(image));
        }
    };
    for (int i = 0; i < loads; ++i) {
        std::vector<QImage> table;
        table.reserve(size_t(files.size()));
        long faults = pageFaults();
        QElapsedTimer clock;
        clock.start();
        decodeAll(&table);
        floor.push_back(double(clock.nsecsElapsed()) / 1e6);
        floorFaults.push_back(double(pageFaults() - faults));

        const QString copy = dir.filePath(QStringLiteral("load%1").arg(i));
        QDir().mkpath(copy);
        QFile::copy(plugin, copy + QStringLiteral("/Nimbolux.so"));
        QFile::link(images, copy + QStringLiteral("/images"));
        auto session = std::make_unique<vexohost::PluginSession>();
        if (!session->open(copy + QStringLiteral("/Nimbolux.so"))) {
            std::fprintf(stderr, "display_bench: %s\n", qPrintable(session->error()));
            return 1;
        }
        const double residentBefore = residentMegabytes();
        faults = pageFaults();
        clock.restart();
        if (!session->readModuleInfo()) {
            std::fprintf(stderr, "display_bench: %s\n", qPrintable(session->error()));
            return 1;
        }
        ours.push_back(double(clock.nsecsElapsed()) / 1e6);
        oursFaults.push_back(double(pageFaults() - faults));
        if (i == 0) residentGrowth = residentMegabytes() - residentBefore;
        // Only the last is kept for painting.
        if (i + 1 < loads) session->close();
        sessions.push_back(std::move(session));
        floorTables.push_back(std::move(table));

        faults = pageFaults();
        clock.restart();
        decodeAll(nullptr);
        dropped.push_back(double(clock.nsecsElapsed()) / 1e6);
        droppedFaults.push_back(double(pageFaults() - faults));
    }
    // The table holds every picture as Qt decodes it, converted once to
    // premultiplied 32-bit ARGB, the format the window composes in.
    qint64 tableBytes = 0;
    for (const QString& name : files)
        tableBytes += QImage(images + QLatin1Char('/') + name)
                          .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                          .sizeInBytes();
    const double create = median(ours), decode = median(floor), decodeDropped = median(dropped);
    const double tableMb = double(tableBytes) / (1024.0 * 1024.0);

    // ---- The visible window ----
    vexohost::PluginSession& session = *sessions.back();
    QWidget* window = session.toolWidget();
    if (!window || !session.toolWindow()) {
        std::fprintf(stderr, "display_bench: the plug-in has no tool window\n");
        return 1;
    }
    session.toolWindow()->Show();
    window->move(0, 0);
    settle(300);
    com::HRESULT status = com::S_OK;
    for (int channel = 1; channel <= 9; ++channel) session.deliver(15, channel, 30 * channel, &status);
    settle(100);

    std::vector<double> repaint;
    repaint.reserve(size_t(repaints));
    for (int i = 0; i < repaints; ++i) {
        QElapsedTimer clock;
        clock.start();
        window->repaint();
        repaint.push_back(double(clock.nsecsElapsed()) / 1e3);
    }
    const QImage composed = window->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage target(composed.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> blit;
    for (int i = 0; i < repaints; ++i) {
        QElapsedTimer clock;
        clock.start();
        QPainter painter(&target);
        painter.drawImage(0, 0, composed);
        painter.end();
        blit.push_back(double(clock.nsecsElapsed()) / 1e3);
    }
    const double repaintUs = median(repaint), blitUs = median(blit);

    // ---- What one update paints and allocates ----
    PaintedRegion painted(window);
    settle(50);
    painted.clear();
    session.deliver(15, 5, 200, &status);
    settle(50);
    const QRegion one = painted.region();
    painted.clear();
    for (int channel = 1; channel <= 9; ++channel) session.deliver(15, channel, 250 - 20 * channel, &status);
    settle(50);
    const QRegion all = painted.region();
    const long windowArea = long(window->width()) * window->height();

    // The first change after a repaint marks the window dirty, and Qt posts
    // one update request for it; every change until the repaint adds to it.
    constexpr int kCalls = 10000, kRepaints = 200;
    long firstAllocations = 0, repaintAllocations = 0;
    for (int i = 0; i < kRepaints; ++i) {
        long before = testsupport::heapAllocations();
        session.deliver(15, 1 + i % 9, (i % 2) ? 200 : 20, &status);
        firstAllocations += testsupport::heapAllocations() - before;
        before = testsupport::heapAllocations();
        settle(2);
        repaintAllocations += testsupport::heapAllocations() - before;
    }
    session.deliver(15, 1, 0, &status);
    const long before = testsupport::heapAllocations();
    for (int i = 0; i < kCalls; ++i) session.deliver(15, 1 + i % 9, (i * 37) % 256, &status);
    const double perCall = double(testsupport::heapAllocations() - before) / kCalls;
    const double perFirst = double(firstAllocations) / kRepaints,
                 perRepaint = double(repaintAllocations) / kRepaints;
    settle(20);

    // ---- The host's feed, its readouts shown ----
    // What the host adds to a message on its way to the plug-in: the last
    // values and levels the readouts and faders follow. Turn about with the
    // plug-in's call alone, median of 9 rounds; the readouts repaint between
    // rounds, as they would between frames.
    vexohost::PluginFeed feed(session);
    vexohost::ChannelReadouts readouts(feed.sent(), 1);
    readouts.show();
    settle(50);
    std::vector<double> fed, alone;
    for (int round = 0; round < 9; ++round) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kCalls; ++i) session.deliver(15, 1 + i % 9, (i * 37) % 300, &status);
        alone.push_back(double(clock.nsecsElapsed()) / kCalls);
        clock.restart();
        for (int i = 0; i < kCalls; ++i)
            feed.send(vexohost::HostMessage::channelValue(1 + i % 9, (i * 37) % 300));
        fed.push_back(double(clock.nsecsElapsed()) / kCalls);
        settle(20);
    }
    feed.send(vexohost::HostMessage::channelValue(1, 0));  // the window's update request, as above
    const long beforeFeed = testsupport::heapAllocations();
    for (int i = 0; i < kCalls; ++i)
        feed.send(vexohost::HostMessage::channelValue(1 + i % 9, (i * 37) % 300));
    const double perFed = double(testsupport::heapAllocations() - beforeFeed) / kCalls;
    const double fedNs = median(fed), aloneNs = median(alone);
    readouts.hide();

    std::printf("%-34s %10s %10s %7s   %s\n", "", "ours", "floor", "ratio", "goal");
    std::printf("%-34s %8.2f ms %8.2f ms %6.2fx   <= 1.0x of Qt's reader making the table alone: %s\n",
                "creation (63 pictures, median)", create, decode, create / decode, verdict(create <= decode));
    std::printf("%-34s %11s %8.2f ms %6.2fx   (Qt's reader, each image dropped at once)\n", "", "",
                decodeDropped, create / decodeDropped);
    std::printf("%-34s %11.0f %10.0f %7s   (each a new page of memory; %.0f with images dropped)\n",
                "  page faults (median)", median(oursFaults), median(floorFaults), "", median(droppedFaults));
    std::printf("%-34s %8.2f MB %11s %7s   <= 6 MB: %s\n", "picture table (63 ARGB32 images)", tableMb, "",
                "", verdict(tableMb <= 6.0));
    std::printf("%-34s %8.2f MB %11s %7s   (window, controls and table together)\n",
                "  resident memory grown by it", residentGrowth, "", "");
    std::printf("%-34s %8.1f us %8.1f us %6.2fx   <= 1 ms: %s\n", "full repaint, 867 x 283 (median)",
                repaintUs, blitUs, repaintUs / blitUs, verdict(repaintUs <= 1000.0));
    const QRect bound = one.boundingRect();
    std::printf("%-34s %7ld px %8ld px %5.1f %%   the nimbo's own rectangle (%d x %d at %d,%d): %s\n",
                "painted by one update", regionArea(one), windowArea,
                100.0 * double(regionArea(one)) / windowArea, bound.width(), bound.height(), bound.x(),
                bound.y(), verdict(!one.isEmpty() && bound.width() < window->width() / 4));
    std::printf("%-34s %7ld px %8ld px %5.1f %%   (nine updates, one coalesced repaint)\n",
                "painted by a frame of nine", regionArea(all), windowArea,
                100.0 * double(regionArea(all)) / windowArea);
    std::printf("%-34s %10.4f %10s %7s   none on the call: %s\n", "allocations per message (visible)",
                perCall, "", "", verdict(perCall == 0.0));
    std::printf("%-34s %10.2f %10s %7s   (Qt's update request for the window, once per repaint)\n",
                "  the first after a repaint", perFirst, "", "");
    std::printf("%-34s %10.1f %10s %7s   (reported, no goal)\n", "allocations per coalesced repaint",
                perRepaint, "", "");
    std::printf("%-34s %8.1f ns %8.1f ns %6.2fx   <= plug-in + 5 ns, no allocation: %s (%.4f allocations)\n",
                "host feed per message, readouts", fedNs, aloneNs, fedNs / aloneNs,
                verdict(fedNs <= aloneNs + 5.0 && perFed == 0.0), perFed);

    for (auto& s : sessions) s->close();
    sessions.clear();
    forms::shutdown();
    return 0;
}
