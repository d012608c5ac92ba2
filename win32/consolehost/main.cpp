// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-host.exe: the console host for Windows. It creates the plug-in by its
// ProgID through the system's COM, serves the host's classes to it, plays a
// show through MessageHandle at the show's times while it runs the message
// loop, and writes the display window to a PNG when the show ends.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "host/input/showparser.h"
#include "host/session/hostclasses.h"
#include "host/session/vexopluginhelper.h"
#include "platform/com/bstr.h"
#include "platform/com/classtable.h"
#include "platform/com/object.h"
#include "platform/com/runtimeerror.h"
#include "platform/forms/formwindow.h"
#include "vexo/vexotypelib.h"
#include "win32/consolehost/messageloop.h"
#include "win32/consolehost/windowshot.h"

namespace {

using vexohost::pumpUntil;
using vexohost::utf8;

constexpr char kUsage[] =
    "usage: vexo-host --play SHOW [--snapshot OUT.png] [--configure]\n"
    "       vexo-host --configure\n"
    "       vexo-host --help | --version\n"
    "\n"
    "Plays SHOW through the registered plug-in Nimbo.clsVexoPlugIn (regsvr32 Nimbolux.dll) and shows\n"
    "its display window while it plays. A show holds one moment per line: a time in milliseconds\n"
    "(1500, or +250 after the previous line), then CHANNEL=VALUE pairs or 'msg M A1 A2'.\n"
    "\n"
    "  --play SHOW        the show to play, at its own times\n"
    "  --snapshot OUT.png when the show ends, write the display window to OUT.png\n"
    "  --configure        open the plug-in's colour dialog; without --play, run until its windows are "
    "closed\n"
    "  --help             this text\n"
    "  --version          the version of vexo-host\n"
    "\n"
    "Exit status: 0 done, 2 bad command line or show, 3 the plug-in could not be created or started,\n"
    "4 the snapshot could not be written.\n";

struct Options {
    std::wstring show;
    std::wstring snapshot;
    bool configure = false;
};

int fail(int status, const std::string& message) {
    std::fprintf(stderr, "vexo-host: %s\n", message.c_str());
    return status;
}

std::string describe(com::HRESULT status) {
    const com::ErrorInfo& info = com::errorInfo();
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(status));
    return info.description.empty() ? std::string("status ") + hex : info.description;
}

int run(const Options& options) {
    vexohost::registerHostClasses();
    com::ComPtr<vexo::IVexoPlugin> plugin;
    com::HRESULT status = com::createInstanceByProgId("Nimbo.clsVexoPlugIn", com::uuidof<vexo::IVexoPlugin>(),
                                                      plugin.putVoid());
    if (com::FAILED(status))
        return fail(3, "cannot create Nimbo.clsVexoPlugIn (" + describe(status) +
                           "); register it with: regsvr32 Nimbolux.dll");
    const com::ComPtr<vexo::IVexoPluginHelper> helper = com::makeObject<vexohost::VexoPluginHelper>();
    vexo::IVexoPluginHelper* slot = helper.get();
    const com::Bstr title(vexohost::kHostTitle), file("Nimbolux.dll");
    com::VARIANT_BOOL started = com::VARIANT_FALSE;
    status = plugin->Init(title.get(), file.get(), &slot, &started);
    if (com::FAILED(status) || started == com::VARIANT_FALSE)
        return fail(3, "Init failed: " + describe(status));

    com::ComPtr<vexo::IVexoModuleInfo> info;
    const com::ComPtr<vexo::IVexoModule> module = plugin.as<vexo::IVexoModule>();
    status = module ? module->get_ModuleInfo(info.put()) : com::E_NOINTERFACE;
    if (com::FAILED(status) || !info) return fail(3, "ModuleInfo failed: " + describe(status));
    com::ComPtr<com::IDispatch> toolWindow;
    info->get_ToolWindow(toolWindow.put());
    const com::ComPtr<forms::IFormWindow> display =
        toolWindow ? toolWindow.as<forms::IFormWindow>() : com::ComPtr<forms::IFormWindow>();
    int32_t showAtStart = 0;
    info->get_ShowToolWindowAtStart(&showAtStart);
    if (display && showAtStart) display->Show();
    if (options.configure) {
        com::VARIANT_BOOL shown = com::VARIANT_FALSE;
        if (com::FAILED(status = plugin->Configure(&shown)))
            std::fprintf(stderr, "vexo-host: Configure: %s\n", describe(status).c_str());
    }

    int passed = 0, failed = 0;
    if (!options.show.empty()) {
        std::ifstream in(std::filesystem::path(options.show), std::ios::binary);
        if (!in) return fail(2, utf8(options.show) + ": cannot be read");
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const vexohost::Show show = vexohost::parseShow(text, utf8(options.show));
        if (show.error) return fail(2, show.error->toString());
        const auto start = std::chrono::steady_clock::now();
        for (const vexohost::ShowEvent& event : show.events) {
            pumpUntil(start + std::chrono::milliseconds(event.timeMs));
            int32_t msg = event.msg, arg1 = event.arg1, arg2 = event.arg2, result = 0;
            status = plugin->MessageHandle(&msg, &arg1, &arg2, &result);
            if (com::SUCCEEDED(status)) {
                ++passed;
            } else {
                ++failed;
                std::fprintf(stderr, "vexo-host: %s:%lld: message %d %d %d failed: %s\n",
                             utf8(options.show).c_str(), static_cast<long long>(event.line), event.msg,
                             event.arg1, event.arg2, describe(status).c_str());
            }
        }
        // The last values painted before the picture is taken.
        pumpUntil(std::chrono::steady_clock::now());
        std::printf("%d messages passed to the plug-in, %d failed\n", passed, failed);
    } else if (options.configure) {
        vexohost::runWhileWindowsShow();
    }
    if (!options.snapshot.empty()) {
        forms::NativeWindow window = nullptr;
        if (!display || com::FAILED(display->get_Window(&window)) || !window)
            return fail(4, "the plug-in's display window cannot be reached");
        const std::string problem = vexohost::writeWindowShot(window, options.snapshot);
        if (!problem.empty()) return fail(4, utf8(options.snapshot) + ": " + problem);
        std::printf("wrote the display window to %s\n", utf8(options.snapshot).c_str());
    }
    com::VARIANT_BOOL ended = com::VARIANT_FALSE;
    plugin->Term(&ended);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == L"--help" || argument == L"-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (argument == L"--version") {
            std::printf("vexo-host %s (Windows console host)\n", NIMBO_VERSION);
            return 0;
        } else if (argument == L"--play" && hasValue) {
            options.show = argv[++i];
        } else if (argument == L"--snapshot" && hasValue) {
            options.snapshot = argv[++i];
        } else if (argument == L"--configure") {
            options.configure = true;
        } else {
            std::fprintf(
                stderr, "vexo-host: %s %s\n%s", utf8(argument).c_str(),
                argument.rfind(L"--", 0) == 0 && !hasValue ? "needs a value or is unknown" : "is unknown",
                kUsage);
            return 2;
        }
    }
    if (options.show.empty() && !options.configure)
        return fail(2, std::string("nothing to do: --play or --configure\n") + kUsage);
    if (!options.snapshot.empty() && options.show.empty()) return fail(2, "--snapshot needs --play");
    if (!vexohost::enterApartment()) return fail(3, "COM cannot be started");
    int status = 0;
    try {
        status = run(options);
    } catch (const std::exception& error) {
        status = fail(3, error.what());
    }
    vexohost::leaveApartment();
    return status;
}
