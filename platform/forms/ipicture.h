// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_IPICTURE_H_
#define PLATFORM_FORMS_IPICTURE_H_

#include <cstdint>

#include "platform/com/unknown.h"

namespace forms {

// The automation face of a decoded picture: its size in pixels.
struct IPicture : com::IUnknown {
    static constexpr com::IID iid = com::makeGuid("6b1f3a52-0c4e-4d8e-9a57-2f0e51d3c701");

    virtual com::HRESULT NIMBO_COM_CALL get_Width(int32_t* pixels) = 0;
    virtual com::HRESULT NIMBO_COM_CALL get_Height(int32_t* pixels) = 0;

protected:
    ~IPicture() = default;
};

// The largest picture the loader decodes; anything claiming more is refused
// before a single pixel is allocated.
constexpr int kMaxPictureSide = 8192;
constexpr int kMaxPictureMegabytes = 64;

}  // namespace forms

#endif  // PLATFORM_FORMS_IPICTURE_H_
