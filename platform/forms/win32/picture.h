// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_WIN32_PICTURE_H_
#define PLATFORM_FORMS_WIN32_PICTURE_H_

#include <cstdint>
#include <vector>

#include "platform/com/comptr.h"
#include "platform/com/object.h"
#include "platform/forms/ipicture.h"
#include "platform/forms/win32/text.h"

struct HBITMAP__;

namespace forms {

// A decoded picture, immutable once made and shared by counted reference:
// every control that shows it and every table that keeps it hold the same
// object, never a copy. Its pixels are 32-bit premultiplied BGRA, top row
// first, kept in a device-independent bitmap that GDI blends as it is.
class Picture : public com::ComObject<IPicture> {
public:
    // A picture of width x height pixels (premultiplied BGRA, rows top to
    // bottom); null when the system cannot make the bitmap.
    static com::ComPtr<Picture> fromPixels(int width, int height, const uint32_t* pixels);

    int width() const { return m_width; }
    int height() const { return m_height; }
    const uint32_t* pixels() const { return m_pixels; }
    HBITMAP__* bitmap() const { return m_bitmap; }

    com::HRESULT NIMBO_COM_CALL get_Width(int32_t* pixels) override;
    com::HRESULT NIMBO_COM_CALL get_Height(int32_t* pixels) override;

private:
    Picture(HBITMAP__* bitmap, uint32_t* pixels, int width, int height);
    ~Picture() override;

    HBITMAP__* const m_bitmap;
    uint32_t* const m_pixels;  // owned by m_bitmap
    const int m_width;
    const int m_height;
};

// Reads a picture file (the first frame of a GIF, with its transparency, or
// any other format the system's imaging component reads), or a picture
// stored with the module (":/ui/korb.jpg" is its resource data UI_KORB_JPG).
// Raises run-time error 53 when the file does not exist in an existing
// folder, 76 when the folder does not exist, 75 when the path is a folder or
// cannot be read, 481 when the contents are not a picture or are too large;
// each description names the path. An empty path gives an empty reference.
com::ComPtr<Picture> loadPicture(const String& path);

}  // namespace forms

#endif  // PLATFORM_FORMS_WIN32_PICTURE_H_
