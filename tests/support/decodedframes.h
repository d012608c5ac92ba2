// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_SUPPORT_DECODEDFRAMES_H_
#define TESTS_SUPPORT_DECODEDFRAMES_H_

#include <QImage>
#include <QString>
#include <vector>

namespace testsupport {

struct DecodedFrame {
    QImage image;
    int fromMs;  // when it starts to show
};

// The frames of a recording (.gif or .webp), decoded by readers that are
// not ours: Qt's GIF reader, which composes each frame onto the one before,
// and libwebp's animation decoder (whose encoder merges frames that show the
// same). Empty when the file cannot be decoded.
std::vector<DecodedFrame> decodeFrames(const QString& file);

// Where the last frame ends: the length of the whole recording.
int decodedLengthMs(const QString& file);

}  // namespace testsupport

#endif  // TESTS_SUPPORT_DECODEDFRAMES_H_
