// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_DISPLAY_NIMBOTEST_H_
#define TESTS_DISPLAY_NIMBOTEST_H_

// What the display window and the colour dialog tests share: a private copy
// of the 63 envelope pictures for every test, the shared state put back to
// its values at load, both window instances let go of afterwards, and
// message boxes recorded instead of shown.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/runtimeerror.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/picture.h"
#include "state/nimbocode.h"

class QWidget;

namespace nimbotest {

// "gruen040.gif" for colour 2 at level 3.
QString pictureFileName(int color, int level);

// The run-time error that body raised, or nothing when it succeeded.
template <class Body>
std::optional<com::RuntimeError> raisedBy(Body&& body) {
    try {
        body();
    } catch (const com::RuntimeError& error) {
        return error;
    }
    return std::nullopt;
}

// Everything NimboCode holds, pictures by identity.
struct CodeSnapshot {
    int16_t startChannel = 0;
    std::array<int16_t, 9> colors{};
    int16_t colorsSet = 0;
    std::array<const forms::Picture*, 63> pictures{};
    const void* helper = nullptr;

    static CodeSnapshot take();
    bool operator==(const CodeSnapshot&) const = default;
};

// True when an image pixel is fully transparent, half or fully opaque: the
// envelope pictures know only fully transparent and fully opaque pixels.
inline bool isOpaque(QRgb pixel) {
    return qAlpha(pixel) == 255;
}

class NimboTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The private picture folder, with a trailing separator.
    QString folder() const;
    QString picturePath(int color, int level) const;
    // Removes one picture file from the private folder (restorePicture puts it back).
    void removePicture(int color, int level);
    void restorePicture(int color, int level);
    // Replaces one picture file by bytes that are no picture.
    void corruptPicture(int color, int level);
    // The picture file as an independent decoder reads it, premultiplied like
    // the system's pictures.
    QImage decodeFile(int color, int level) const;

    // Every message box shown during the test, in order; answered with OK.
    std::vector<forms::MsgBoxRequest> messages;

private:
    QTemporaryDir m_dir;
    forms::MsgBoxPresenter m_previousPresenter;
};

}  // namespace nimbotest

#endif  // TESTS_DISPLAY_NIMBOTEST_H_
