// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/pictureset.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "tools/basketartist.h"
#include "tools/contactsheet.h"
#include "tools/gifwriter.h"
#include "tools/iconartist.h"
#include "tools/icowriter.h"

namespace pictures {

namespace {

// Fixed, so that the basket's bytes never change between runs.
constexpr int kJpegQuality = 92;

bool makeFolder(const QString& folder, QString* error) {
    if (QDir().mkpath(folder)) return true;
    if (error) *error = folder + ": cannot create the folder";
    return false;
}

bool writeBytes(const QByteArray& bytes, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = path + ": " + file.errorString();
        return false;
    }
    return true;
}

}  // namespace

PictureSet::PictureSet() {
    const EnvelopeArtist artist;
    for (int colour = 0; colour < kColours; ++colour) {
        for (int level = 0; level < kLevels; ++level) {
            m_envelopes.push_back(artist.paint(kEnvelopeColours[size_t(colour)], glowPercent(level)));
            m_stored.push_back(
                GifWriter::toIndexed(m_envelopes.back()).convertToFormat(QImage::Format_ARGB32));
        }
    }
    QBuffer buffer(&m_basketJpeg);
    buffer.open(QIODevice::WriteOnly);
    BasketArtist::paint().save(&buffer, "JPG", kJpegQuality);
    m_basket = QImage::fromData(m_basketJpeg, "JPG");
    m_icon = IconArtist::paint();
}

QString PictureSet::envelopeFileName(int colour, int level) {
    return QLatin1String(nimbo::pictureFileName(colour, level).view());
}

const QImage& PictureSet::envelope(int colour, int level) const {
    return m_stored[size_t(colour * kLevels + level)];
}

bool PictureSet::writeEnvelopes(const QString& folder, QString* error) const {
    if (!makeFolder(folder, error)) return false;
    for (int colour = 0; colour < kColours; ++colour) {
        for (int level = 0; level < kLevels; ++level) {
            const QString path = QDir(folder).filePath(envelopeFileName(colour, level));
            if (!GifWriter::write(m_envelopes[size_t(colour * kLevels + level)], path, error)) return false;
        }
    }
    return true;
}

bool PictureSet::writeWindowPictures(const QString& folder, QString* error) const {
    const QDir root(folder);
    if (!makeFolder(root.filePath("dim"), error) || !makeFolder(root.filePath("bright"), error)) return false;
    for (int colour = 0; colour < kColours; ++colour) {
        const QString name = QLatin1String(nimbo::kColorWords[size_t(colour)]) + ".gif";
        if (!GifWriter::write(m_envelopes[size_t(colour * kLevels)], root.filePath("dim/" + name), error) ||
            !GifWriter::write(m_envelopes[size_t(colour * kLevels + kLevels - 1)],
                              root.filePath("bright/" + name), error))
            return false;
    }
    return writeBytes(m_basketJpeg, root.filePath("korb.jpg"), error) &&
           IcoWriter::write(m_icon, root.filePath("icon.ico"), error);
}

bool PictureSet::writeAppIcons(const QString& folder, const QString& name, QString* error) {
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString sized = QDir(folder).filePath(QStringLiteral("%1x%1/apps").arg(size));
        if (!makeFolder(sized, error)) return false;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!IconArtist::paintSquare(size).save(&buffer, "PNG")) {
            if (error) *error = sized + ": cannot encode the icon";
            return false;
        }
        if (!writeBytes(png, QDir(sized).filePath(name + ".png"), error)) return false;
    }
    return true;
}

bool PictureSet::writeContactSheet(const QString& path, QString* error) const {
    if (!makeFolder(QFileInfo(path).absolutePath(), error)) return false;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!ContactSheet::paint(*this).save(&buffer, "PNG")) {
        if (error) *error = path + ": cannot encode the sheet";
        return false;
    }
    return writeBytes(png, path, error);
}

}  // namespace pictures
