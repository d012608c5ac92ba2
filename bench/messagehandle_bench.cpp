// SPDX-License-Identifier: GPL-3.0-or-later
// MessageHandle as the host calls it, through the vtable of the plug-in
// object of the built Nimbolux.so: a message rejected by its number, one
// rejected by its channel, and one accepted that updates a nimbo of the
// loaded, hidden display window. The baseline is an empty call through an
// interface of the same shape. Heap allocations are counted by replacing the
// global operator new.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <map>
#include <string>

#include "bench/emptyplugin.h"
#include "host/session/hostclasses.h"
#include "nimbo/nimbotypelib.h"
#include "platform/com/classfactory.h"
#include "platform/com/dispatch.h"
#include "platform/com/object.h"
#include "platform/com/server.h"
#include "platform/forms/shutdown.h"
#include "tests/support/allocationcounter.h"
#include "vexo/vexotypelib.h"

namespace {

vexo::IVexoPlugin* g_plugin = nullptr;  // held by main
vexo::IVexoPlugin* g_empty = nullptr;   // held by main

void runMessages(benchmark::State& state, vexo::IVexoPlugin* target, int32_t msg, bool sweepChannels) {
    benchmark::DoNotOptimize(target);
    int32_t channel = sweepChannels ? 1 : 10, value = 0, result = 0;
    uint32_t n = 0;
    long failures = 0;
    const long allocationsBefore = testsupport::heapAllocations();
    for (auto _ : state) {
        if (sweepChannels) {
            channel = 1 + static_cast<int32_t>(n % 9);
            value = static_cast<int32_t>((n * 37) % 256);
            ++n;
        }
        if (target->MessageHandle(&msg, &channel, &value, &result) != com::S_OK) ++failures;
        benchmark::DoNotOptimize(result);
    }
    const double calls = static_cast<double>(state.iterations());
    state.counters["allocs/call"] =
        static_cast<double>(testsupport::heapAllocations() - allocationsBefore) / calls;
    if (failures) state.SkipWithError("MessageHandle failed");
}

void BM_EmptyCall(benchmark::State& state) {
    runMessages(state, g_empty, 15, false);
}
void BM_RejectedByMessage(benchmark::State& state) {
    runMessages(state, g_plugin, 14, false);
}
void BM_RejectedByChannel(benchmark::State& state) {
    runMessages(state, g_plugin, 15, false);
}
void BM_Accepted(benchmark::State& state) {
    runMessages(state, g_plugin, 15, true);
}

BENCHMARK(BM_EmptyCall);
BENCHMARK(BM_RejectedByMessage);
BENCHMARK(BM_RejectedByChannel);
BENCHMARK(BM_Accepted);

// Keeps the time per call of each benchmark for the ratios after the table.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            m_nanoseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
            const auto allocs = run.counters.find("allocs/call");
            if (allocs != run.counters.end())
                m_allocations[run.run_name.function_name] = allocs->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double nanoseconds(const std::string& name) const {
        const auto found = m_nanoseconds.find(name);
        return found == m_nanoseconds.end() ? 0 : found->second;
    }
    double allocations(const std::string& name) const {
        const auto found = m_allocations.find(name);
        return found == m_allocations.end() ? -1 : found->second;
    }

private:
    std::map<std::string, double> m_nanoseconds;
    std::map<std::string, double> m_allocations;
};

void printSummary(const RecordingReporter& reporter) {
    const double empty = reporter.nanoseconds("BM_EmptyCall");
    if (empty <= 0) return;
    std::printf("\nTime per call against the empty call (%.2f ns):\n", empty);
    for (const char* name : {"BM_RejectedByMessage", "BM_RejectedByChannel"}) {
        const double ratio = reporter.nanoseconds(name) / empty;
        std::printf("  %-22s %6.2f x   (target <= 2 x: %s)\n", name, ratio, ratio <= 2.0 ? "met" : "missed");
    }
    const double accepted = reporter.nanoseconds("BM_Accepted");
    const double allocations = reporter.allocations("BM_Accepted");
    std::printf("  %-22s %6.2f x   %.1f ns, %.3f allocations per call (target <= 100 ns, none: %s)\n",
                "BM_Accepted", accepted / empty, accepted, allocations,
                accepted <= 100.0 && allocations == 0.0 ? "met" : "missed");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int status = 0;
    {
        QApplication app(argc, argv);
        benchmark::Initialize(&argc, argv);

        vexohost::registerHostClasses();
        com::ComPtr<com::IClassFactory> factory;
        com::ComPtr<vexo::IVexoPlugin> plugin;
        com::Server& server = com::loadServer(NIMBO_PLUGIN_FILE);
        if (server.getClassObject(nimbo::CLSID_clsVexoPlugIn, com::uuidof<com::IClassFactory>(),
                                  factory.putVoid()) != com::S_OK ||
            factory->CreateInstance(nullptr, com::uuidof<vexo::IVexoPlugin>(), plugin.putVoid()) !=
                com::S_OK) {
            std::fprintf(stderr, "cannot create the plug-in from %s\n", NIMBO_PLUGIN_FILE);
            return 1;
        }
        // Create and load the display window (hidden) before measuring.
        int32_t msg = 15, channel = 1, value = 0, result = 0;
        if (plugin->MessageHandle(&msg, &channel, &value, &result) != com::S_OK) {
            std::fprintf(stderr, "the display window cannot be created (pictures beside %s?)\n",
                         NIMBO_PLUGIN_FILE);
            return 1;
        }
        // The counter must see the plug-in's own allocations, or its zero
        // below would mean nothing: module information allocates.
        {
            const long before = testsupport::heapAllocations();
            com::ComPtr<vexo::IVexoModuleInfo> info;
            plugin.as<vexo::IVexoModule>()->get_ModuleInfo(info.put());
            if (testsupport::heapAllocations() == before) {
                std::fprintf(stderr, "the allocation counter does not see the plug-in's allocations\n");
                status = 1;
            }
        }
        const com::ComPtr<vexo::IVexoPlugin> empty = makeEmptyPlugin();
        g_plugin = plugin.get();
        g_empty = empty.get();

        RecordingReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        printSummary(reporter);
        benchmark::Shutdown();

        g_plugin = g_empty = nullptr;
        plugin = nullptr;
        factory = nullptr;
        forms::shutdown();
    }
    return status;
}
