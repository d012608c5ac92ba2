// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/picture.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <cerrno>
#include <cstring>

#include "platform/com/runtimeerror.h"
#include "platform/forms/qt/gifpicture.h"

namespace forms {
namespace {

constexpr int kErrPathFileAccess = 75;

[[noreturn]] void raiseForPath(int number, const QString& path, const QString& reason = {}) {
    QString detail = path;
    if (!reason.isEmpty()) detail += QStringLiteral(" (") + reason + QLatin1Char(')');
    if (number == kErrPathFileAccess)
        throw com::RuntimeError(number, "Path/File access error: " + detail.toStdString());
    com::raise(number, detail.toStdString());
}

// Why path cannot be opened as a picture file: 53, 76 or 75 (with the
// reason in *reason), or 0 when it can be. Only a regular file is read: a
// FIFO would block the reader, a device never end.
int fileProblem(const QString& path, QString* reason) {
    const QFileInfo info(path);
    if (path.startsWith(QLatin1String(":/"))) return info.exists() ? 0 : com::kErrFileNotFound;
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        if (errno == ELOOP) {
            *reason = QString::fromLocal8Bit(std::strerror(errno));
            return kErrPathFileAccess;
        }
        return QDir(info.absolutePath()).exists() ? com::kErrFileNotFound : com::kErrPathNotFound;
    }
    if (S_ISDIR(status.st_mode) || !info.isReadable()) return kErrPathFileAccess;
    if (!S_ISREG(status.st_mode)) {
        *reason = QStringLiteral("not a regular file");
        return kErrPathFileAccess;
    }
    return 0;
}

}  // namespace

Picture::Picture(QImage image) : m_image(std::move(image)) {}

com::ComPtr<Picture> Picture::fromImage(const QImage& image) {
    return com::ComPtr<Picture>::adopt(
        new Picture(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
}

com::HRESULT Picture::get_Width(int32_t* pixels) {
    if (!pixels) return com::E_POINTER;
    *pixels = m_image.width();
    return com::S_OK;
}

com::HRESULT Picture::get_Height(int32_t* pixels) {
    if (!pixels) return com::E_POINTER;
    *pixels = m_image.height();
    return com::S_OK;
}

com::ComPtr<Picture> loadPicture(const QString& path) {
    if (path.isEmpty()) return {};
    QString reason;
    if (const int problem = fileProblem(path, &reason)) raiseForPath(problem, path, reason);

    // The usual picture, a plain GIF, is decoded straight into the format it is kept in.
    if (QImage gif = decodeGifPicture(path, kMaxPictureSide, qsizetype(kMaxPictureMegabytes) * 1024 * 1024);
        !gif.isNull())
        return Picture::fromImage(gif);

    // Qt refuses to allocate more than this for any one image; the size check
    // below refuses before decoding starts, from the header alone.
    QImageReader::setAllocationLimit(kMaxPictureMegabytes);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead()) raiseForPath(com::kErrInvalidPicture, path, reader.errorString());
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide))
        raiseForPath(com::kErrInvalidPicture, path, QStringLiteral("picture too large"));

    QImage image;
    if (!reader.read(&image) || image.isNull())
        raiseForPath(com::kErrInvalidPicture, path, reader.errorString());
    if (image.width() > kMaxPictureSide || image.height() > kMaxPictureSide)
        raiseForPath(com::kErrInvalidPicture, path, QStringLiteral("picture too large"));
    return Picture::fromImage(image);
}

}  // namespace forms
