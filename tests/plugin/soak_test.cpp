// SPDX-License-Identifier: GPL-3.0-or-later
// Ten million channel messages through the plug-in while everything else a
// host and a user do to it happens again and again: the state stays whole,
// the display shows the last values, and memory stays where it was.

#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>

#include "platform/forms/formwindow.h"
#include "state/tables.h"
#include "tests/plugin/pluginfixture.h"

namespace plugintest {
namespace {

long residentKilobytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int glowLevel(int value) {
    constexpr int kBelow[] = {1, 10, 60, 110, 160, 210};
    return int(std::upper_bound(std::begin(kBelow), std::end(kBelow), value) - std::begin(kBelow));
}

QWidget* visibleWindow(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowTitle() == title) return widget;
    return nullptr;
}

// Nimbo i's colour list in the dialog: the lists stand in a row above the buttons.
QComboBox* colourList(QWidget* dialog, int i) {
    QList<QComboBox*> lists;
    for (QComboBox* box : dialog->findChildren<QComboBox*>())
        if (box->y() < dialog->findChild<QPushButton*>()->y()) lists << box;
    std::sort(lists.begin(), lists.end(), [](QComboBox* a, QComboBox* b) { return a->x() < b->x(); });
    return lists.size() == 9 ? lists[i] : nullptr;
}

TEST_F(PluginTest, TenMillionMessagesAmongReloadsDialogsAndModuleInformation) {
    load();
    constexpr int kMessages = 10'000'000, kEvery = 100'000;
    std::array<int, 9> value{}, colour = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    com::ComPtr<com::IDispatch> display;
    long firstTenth = 0, lastTenth = 0;
    uint32_t random = 12345;
    for (int n = 0; n < kMessages; ++n) {
        if (n > 0 && n % kEvery == 0) {
            const int cycle = n / kEvery;
            switch (cycle % 3) {
                case 0: {  // the display closed and shown again
                    com::ComPtr<forms::IFormWindow> window;
                    ASSERT_EQ(display->QueryInterface(com::uuidof<forms::IFormWindow>(), window.putVoid()),
                              com::S_OK);
                    ASSERT_EQ(window->Unload(), com::S_OK);
                    ASSERT_EQ(window->Show(), com::S_OK);
                    break;
                }
                case 1: {  // the dialog: a colour chosen, then OK
                    com::VARIANT_BOOL shown = com::VARIANT_FALSE;
                    ASSERT_EQ(m_plugin->Configure(&shown), com::S_OK);
                    QWidget* dialog = visibleWindow(QStringLiteral("Konfiguration"));
                    ASSERT_TRUE(dialog);
                    const int nimbo = (cycle / 3) % 9, chosen = (cycle / 27 + 2 * nimbo + 1) % 9;
                    QComboBox* list = colourList(dialog, nimbo);
                    ASSERT_TRUE(list);
                    // As a user's choice arrives.
                    list->setCurrentIndex(chosen);
                    Q_EMIT list->activated(chosen);
                    for (QPushButton* button : dialog->findChildren<QPushButton*>())
                        if (button->text() == QStringLiteral("OK")) button->click();
                    ASSERT_FALSE(dialog->isVisible());
                    colour[size_t(nimbo)] = chosen;
                    break;
                }
                case 2:  // the module information asked for again
                    display = toolWindow(moduleInfo(m_plugin.get()).get());
                    break;
            }
        }
        random = random * 1664525u + 1013904223u;
        const int channel = 1 + n % 9, v = int(random >> 24);
        com::HRESULT status = com::S_OK;
        message(15, channel, v, &status);
        ASSERT_EQ(status, com::S_OK) << "message " << n;
        value[size_t(channel - 1)] = v;
        if (n == 0) display = toolWindow(moduleInfo(m_plugin.get()).get());
        if (n == kMessages / 10) firstTenth = residentKilobytes();
    }
    lastTenth = residentKilobytes();

    const QImage render = renderWindow(display.get());
    for (int i = 0; i < 9; ++i) {
        ASSERT_GE(colour[size_t(i)], 0);
        ASSERT_LE(colour[size_t(i)], 8);
        const QString file = QString::fromLatin1(nimbo::kColorWords[size_t(colour[size_t(i)])]) +
                             QString::fromLatin1(nimbo::kGlowCodes[size_t(glowLevel(value[size_t(i)]))]) +
                             QStringLiteral(".gif");
        std::string why;
        EXPECT_TRUE(showsEnvelope(render, i, m_copy->imagesFolder(), file, &why))
            << "nimbo " << i << ": " << why;
    }
    std::printf("resident memory: %ld KB at the first tenth, %ld KB at the end\n", firstTenth, lastTenth);
#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizer holds freed memory back on purpose; without it, nothing may grow.
    EXPECT_LT(lastTenth - firstTenth, 1024);
#endif
    for (QWidget* widget : QApplication::topLevelWidgets()) widget->hide();
}

}  // namespace
}  // namespace plugintest
