// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures decoded by the system's imaging component (WIC), from files or
// from the resources of the module that holds this code.
#include "platform/forms/win32/picture.h"

#include <cstring>
#include <cwctype>
#include <string>

#include "platform/com/runtimeerror.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include <wincodec.h>

#include "platform/com/win32/system.h"

namespace forms {
namespace {

constexpr int kErrPathFileAccess = 75;

[[noreturn]] void raiseForPath(int number, const String& path, const char* reason = nullptr) {
    std::string detail = path.toStdString();
    if (reason) detail += std::string(" (") + reason + ")";
    if (number == kErrPathFileAccess) throw com::RuntimeError(number, "Path/File access error: " + detail);
    com::raise(number, detail);
}

// Releases a COM interface pointer of the system when it goes out of scope.
template <class T>
struct Held {
    T* p = nullptr;
    ~Held() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
    T** put() { return &p; }
};

HMODULE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

// Why path cannot be read as a picture file: 53, 76 or 75, or 0 when it can.
int fileProblem(const String& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const std::wstring& wide = path.wide();
        const auto slash = wide.find_last_of(L"\\/");
        const std::wstring folder = slash == std::wstring::npos ? L"." : wide.substr(0, slash);
        const DWORD folderAttributes = GetFileAttributesW(folder.c_str());
        const bool folderExists =
            folderAttributes != INVALID_FILE_ATTRIBUTES && (folderAttributes & FILE_ATTRIBUTE_DIRECTORY);
        return folderExists ? com::kErrFileNotFound : com::kErrPathNotFound;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return kErrPathFileAccess;
    return 0;
}

// The first frame of what decoder holds, as premultiplied BGRA.
com::ComPtr<Picture> decodeFirstFrame(IWICImagingFactory* factory, IWICBitmapDecoder* decoder,
                                      const String& path) {
    Held<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.put()))) raiseForPath(com::kErrInvalidPicture, path, "no picture");
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0)
        raiseForPath(com::kErrInvalidPicture, path, "no picture");
    if (width > kMaxPictureSide || height > kMaxPictureSide ||
        uint64_t(width) * height * 4 > uint64_t(kMaxPictureMegabytes) * 1024 * 1024)
        raiseForPath(com::kErrInvalidPicture, path, "picture too large");
    Held<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)))
        raiseForPath(com::kErrInvalidPicture, path, "unreadable pixels");
    std::vector<uint32_t> pixels(size_t(width) * height);
    if (FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size() * 4),
                                     reinterpret_cast<BYTE*>(pixels.data()))))
        raiseForPath(com::kErrInvalidPicture, path, "damaged picture");
    com::ComPtr<Picture> picture = Picture::fromPixels(int(width), int(height), pixels.data());
    if (!picture) throw std::bad_alloc();
    return picture;
}

}  // namespace

Picture::Picture(HBITMAP bitmap, uint32_t* pixels, int width, int height)
    : m_bitmap(bitmap), m_pixels(pixels), m_width(width), m_height(height) {}

Picture::~Picture() {
    DeleteObject(m_bitmap);
}

com::ComPtr<Picture> Picture::fromPixels(int width, int height, const uint32_t* pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return {};
    std::memcpy(bits, pixels, size_t(width) * height * 4);
    return com::ComPtr<Picture>::adopt(new Picture(bitmap, static_cast<uint32_t*>(bits), width, height));
}

com::HRESULT Picture::get_Width(int32_t* pixels) {
    if (!pixels) return E_POINTER;
    *pixels = m_width;
    return S_OK;
}

com::HRESULT Picture::get_Height(int32_t* pixels) {
    if (!pixels) return E_POINTER;
    *pixels = m_height;
    return S_OK;
}

com::ComPtr<Picture> loadPicture(const String& path) {
    if (path.isEmpty()) return {};
    Held<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()))))
        raiseForPath(com::kErrInvalidPicture, path, "no imaging component");
    Held<IWICBitmapDecoder> decoder;
    const std::wstring& wide = path.wide();
    if (wide.size() > 2 && wide.compare(0, 2, L":/") == 0) {
        // A picture stored with the module, as resource data named by its
        // path: upper case, "_" for "/" and ".".
        std::wstring name = wide.substr(2);
        for (wchar_t& c : name) c = c == L'/' || c == L'.' ? L'_' : static_cast<wchar_t>(towupper(c));
        HMODULE module = thisModule();
        HRSRC resource = FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
        HGLOBAL data = resource ? LoadResource(module, resource) : nullptr;
        if (!data) raiseForPath(com::kErrFileNotFound, path);
        Held<IWICStream> stream;
        if (FAILED(factory->CreateStream(stream.put())) ||
            FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(LockResource(data)),
                                                SizeofResource(module, resource))) ||
            FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand,
                                                    decoder.put())))
            raiseForPath(com::kErrInvalidPicture, path, "not a picture");
        return decodeFirstFrame(factory.p, decoder.p, path);
    }
    if (const int problem = fileProblem(path)) raiseForPath(problem, path);
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.put()))) {
        // Unreadable and unknown contents look alike here: tell them apart by opening.
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) raiseForPath(kErrPathFileAccess, path);
        CloseHandle(file);
        raiseForPath(com::kErrInvalidPicture, path, "not a picture");
    }
    return decodeFirstFrame(factory.p, decoder.p, path);
}

}  // namespace forms
