// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-host with its windows in this process, as the window tests drive it:
// a copy of the plug-in of its own, settings of its own, and the widgets
// found as a user finds them, by their text or accessible name.
#ifndef TESTS_HOST_WINDOWS_HOSTWINDOWTEST_H_
#define TESTS_HOST_WINDOWS_HOSTWINDOWTEST_H_

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "host/app/hostapp.h"
#include "host/outputs/snapshot.h"
#include "tests/support/displaypictures.h"

namespace vexohost {

inline const QString kPlugin = QStringLiteral(NIMBO_PLUGIN);
inline const QString kImages = QStringLiteral(NIMBO_IMAGES);

// A key as a user presses it: in the active window, to whatever has focus there.
inline void press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QWidget* to = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(to, Qt::Key(key), modifiers);
}

inline bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QTest::qWait(20);
    }
    return true;
}

class HostWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        // Settings of this test alone.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("config"));
        // A copy of the plug-in beside its pictures for each test: a plug-in
        // stays loaded in a process, and each test wants its own first load.
        ASSERT_TRUE(QFile::copy(kPlugin, m_dir.filePath("Nimbolux.so")));
        QDir().mkpath(m_dir.filePath("images"));
        for (const QString& name : QDir(kImages).entryList({QStringLiteral("*.gif")}))
            ASSERT_TRUE(QFile::copy(kImages + '/' + name, m_dir.filePath("images/" + name)));
        m_options.pluginPath = m_dir.filePath("Nimbolux.so");
        m_options.registryPath = m_dir.filePath("registry.txt");
        m_options.headless = false;
        m_options.input = InputKind::Faders;
    }
    void TearDown() override {
        if (m_app) m_app->finish();
    }

    void start() {
        // The windows of this run: those of a run before may still be there.
        const QWidgetList before = QApplication::topLevelWidgets();
        m_app = std::make_unique<HostApp>(m_options);
        ASSERT_EQ(m_app->start(), kExitOk);
        // A plug-in loaded again in the same process keeps its display.
        m_window = m_display = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible()) continue;
            const bool fresh = !before.contains(widget);
            if (widget->windowTitle().startsWith(QStringLiteral("vexo-host – ")) && fresh) m_window = widget;
            if (widget->windowTitle() == QStringLiteral("Nimbo Lux") && (fresh || !m_display))
                m_display = widget;
        }
        ASSERT_TRUE(m_window && m_display);
    }
    QString write(const char* name, const char* text) {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }
    QString status() const { return m_window->findChildren<QLabel*>().at(1)->text(); }
    // A widget of the main window by its accessible name, or by the text it shows.
    template <class T>
    T* widget(const QString& accessibleName) const {
        return first<T>([&](T* w) { return w->accessibleName() == accessibleName; }, accessibleName);
    }
    template <class T>
    T* withText(const QString& text) const {
        return first<T>([&](T* w) { return w->text() == text; }, text);
    }
    template <class T, class Match>
    T* first(Match match, const QString& what) const {
        for (T* w : m_window->findChildren<T*>())
            if (match(w)) return w;
        ADD_FAILURE() << "no widget " << what.toStdString();
        return nullptr;
    }
    // The fader window, opened from the main window.
    QWidget* openFaders() const {
        button(QStringLiteral("Faders"))->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == QStringLiteral("Faders")) return w;
        ADD_FAILURE() << "no fader window";
        return nullptr;
    }
    QCheckBox* loopBox() const { return withText<QCheckBox>(QStringLiteral("Loop")); }
    QPushButton* findButton(const QString& text) const {
        for (QPushButton* b : m_window->findChildren<QPushButton*>())
            if (b->text() == text) return b;
        return nullptr;
    }
    QPushButton* button(const QString& text) const {
        QPushButton* found = findButton(text);
        if (!found) ADD_FAILURE() << "no button " << text.toStdString();
        return found;
    }
    // Open… and the file chosen in its dialog; a message box that follows is
    // answered, its text kept in *said.
    void open(const QString& path, QString* said = nullptr) {
        whenModal<QFileDialog>([path](QFileDialog* dialog) {
            // As typed into its file name field.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_TRUE(name);
            name->setText(path);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        if (said)
            whenModal<QMessageBox>([said](QMessageBox* box) {
                *said = box->text();
                box->buttons().constFirst()->click();
            });
        button(QStringLiteral("Open…"))->click();
    }
    // Runs `answer` on the next modal window of type T once it is up.
    template <class T>
    static void whenModal(std::function<void(T*)> answer) {
        QTimer::singleShot(10, [answer] {
            if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) return answer(window);
            whenModal<T>(answer);
        });
    }
    int differences(const std::array<int, 9>& levels) const {
        return testsupport::envelopeDifferences(renderWindow(m_display), kImages, levels);
    }
    bool shows(const std::array<int, 9>& levels) const {
        const bool ok = waitUntil([&] { return differences(levels) == 0; }, 2000);
        return ok;
    }

    QTemporaryDir m_dir;
    HostOptions m_options;
    std::unique_ptr<HostApp> m_app;
    QWidget* m_window = nullptr;
    QWidget* m_display = nullptr;
};

}  // namespace vexohost

#endif  // TESTS_HOST_WINDOWS_HOSTWINDOWTEST_H_
