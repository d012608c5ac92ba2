// SPDX-License-Identifier: GPL-3.0-or-later
// The display window as a PNG file, painted by the window itself and encoded
// by the system's imaging component.
#include "win32/consolehost/windowshot.h"

#include <cstdint>
#include <vector>

// clang-format off
#include <windows.h>
#include <wincodec.h>
// clang-format on

namespace vexohost {
namespace {

template <class T>
struct Held {
    T* p = nullptr;
    ~Held() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
    T** put() { return &p; }
};

// The window's client area as opaque 32-bit BGRA rows, top first.
bool capture(HWND window, int* width, int* height, std::vector<uint32_t>* pixels) {
    RECT client{};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return false;
    *width = client.right;
    *height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = *width;
    info.bmiHeader.biHeight = -*height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return false;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const bool printed = PrintWindow(window, dc, PW_CLIENTONLY);
    GdiFlush();
    const auto* source = static_cast<const uint32_t*>(bits);
    pixels->assign(source, source + size_t(*width) * *height);
    for (uint32_t& pixel : *pixels) pixel |= 0xFF000000u;  // GDI leaves alpha alone
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return printed;
}

bool encodePng(const std::vector<uint32_t>& pixels, int width, int height, const std::wstring& path) {
    Held<IWICImagingFactory> factory;
    Held<IWICStream> stream;
    Held<IWICBitmapEncoder> encoder;
    Held<IWICBitmapFrameEncode> frame;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()))) ||
        FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) ||
        FAILED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.put(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(UINT(width), UINT(height))))
        return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA))
        return false;
    const UINT stride = UINT(width) * 4;
    return SUCCEEDED(frame->WritePixels(UINT(height), stride, stride * UINT(height),
                                        reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixels.data())))) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace

std::string writeWindowShot(HWND window, const std::wstring& path) {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    if (!capture(window, &width, &height, &pixels)) return "the window could not be painted";
    const std::wstring temporary = path + L".part";
    if (!encodePng(pixels, width, height, temporary)) {
        DeleteFileW(temporary.c_str());
        return "the picture could not be written";
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return "the picture could not be put in place";
    }
    return {};
}

}  // namespace vexohost
