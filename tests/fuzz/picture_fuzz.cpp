// SPDX-License-Identifier: GPL-3.0-or-later
// LoadPicture on arbitrary bytes: a picture no larger than the loader allows,
// or run-time error 481 naming the file. Run with -timeout=1 and
// -rss_limit_mb=256, a slow or large unit is a finding too.

#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/com/runtimeerror.h"
#include "platform/forms/picture.h"
#include "tests/fuzz/fuzzcheck.h"

namespace {

QString picturePath() {
    static const QString path = QString::fromStdString(std::filesystem::temp_directory_path() /
                                                       ("picture_fuzz." + std::to_string(getpid()) + ".gif"));
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = picturePath();
    std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    try {
        const com::ComPtr<forms::Picture> picture = forms::loadPicture(path);
        FUZZ_CHECK(picture);
        const QSize s = picture->size();
        FUZZ_CHECK(s.width() > 0 && s.height() > 0);
        FUZZ_CHECK(s.width() <= forms::kMaxPictureSide && s.height() <= forms::kMaxPictureSide);
        FUZZ_CHECK(picture->image().sizeInBytes() <= qsizetype(forms::kMaxPictureMegabytes) << 20);
    } catch (const com::RuntimeError& error) {
        FUZZ_CHECK(error.number() == com::kErrInvalidPicture);
        FUZZ_CHECK(error.description().find(path.toStdString()) != std::string::npos);
    }
    return 0;
}
