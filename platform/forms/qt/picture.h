// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_PICTURE_H_
#define PLATFORM_FORMS_QT_PICTURE_H_

#include <QImage>
#include <QSize>
#include <QString>

#include "platform/com/comptr.h"
#include "platform/com/object.h"
#include "platform/forms/ipicture.h"

namespace forms {

// A decoded picture, immutable once made and shared by counted reference:
// every control that shows it and every table that keeps it hold the same
// object, never a copy. The pixels are kept premultiplied so that painting
// them is a plain blend.
class Picture : public com::ComObject<IPicture> {
public:
    // Takes a copy of image converted for painting. Returns the first reference.
    static com::ComPtr<Picture> fromImage(const QImage& image);

    const QImage& image() const { return m_image; }
    QSize size() const { return m_image.size(); }

    com::HRESULT NIMBO_COM_CALL get_Width(int32_t* pixels) override;
    com::HRESULT NIMBO_COM_CALL get_Height(int32_t* pixels) override;

private:
    explicit Picture(QImage image);

    const QImage m_image;
};

// Reads a picture file (the first frame of a GIF, with its transparency) or a
// Qt resource (":/..."). Raises run-time error 53 when the file does not exist
// in an existing folder, 76 when the folder does not exist, 75 when the path
// is a folder or cannot be read, 481 when the contents are not a picture the
// loader can read or are too large; each description names the path.
// An empty path gives an empty reference (no picture), which clears a control.
com::ComPtr<Picture> loadPicture(const QString& path);

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_PICTURE_H_
