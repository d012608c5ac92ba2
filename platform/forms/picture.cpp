#include "platform/forms/picture.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include "platform/com/runtimeerror.h"

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

// Why path cannot be opened as a file: 53, 76 or 75, or 0 when it can be.
int fileProblem(const QString& path) {
    const QFileInfo info(path);
    if (path.startsWith(QLatin1String(":/"))) return info.exists() ? 0 : com::kErrFileNotFound;
    if (!info.exists())
        return QDir(info.absolutePath()).exists() ? com::kErrFileNotFound : com::kErrPathNotFound;
    if (info.isDir() || !info.isReadable()) return kErrPathFileAccess;
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
    if (const int problem = fileProblem(path)) raiseForPath(problem, path);

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
