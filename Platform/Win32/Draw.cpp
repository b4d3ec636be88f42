// Paint passes and putting 32-bit premultiplied BGRA pixels on the screen through GDI.
#include "Platform/Win32/WinHeaders.h"

#include "Platform/Win32/Handles.h"

#include "Platform/Draw.h"

#include <cstring>
#include <new>
#include <vector>

namespace plat {

static_assert(sizeof(::PAINTSTRUCT) <= sizeof(PaintPass::native));

using win32::Native;

namespace {

const ::RECT* NativeRect(const RECT* rect) { return reinterpret_cast<const ::RECT*>(rect); }

::BITMAPINFO TopDownInfo(int width, int height) {
    ::BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

bool ValidBitmap(const void* pixels, int stride, int width, int height) {
    return width > 0 && height > 0 && pixels && stride >= width * 4;
}

// GDI reads rows exactly `width` pixels apart.
const void* PackedRows(const void* pixels, int stride, int width, int height, std::vector<unsigned char>& buffer) {
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    if (static_cast<std::size_t>(stride) == row) {
        return pixels;
    }
    buffer.resize(row * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        std::memcpy(buffer.data() + row * static_cast<std::size_t>(y),
                    static_cast<const unsigned char*>(pixels) + static_cast<std::ptrdiff_t>(stride) * y, row);
    }
    return buffer.data();
}

class WindowDc {
public:
    explicit WindowDc(::HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_) {
            ::ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ::HDC Get() const { return dc_; }

private:
    ::HWND window_;
    ::HDC dc_;
};

// A 32-bit DIB section selected into a memory context, for UpdateLayeredWindow.
class LayeredSource {
public:
    LayeredSource(::HDC screen, int width, int height) : memory_(::CreateCompatibleDC(screen)) {
        const ::BITMAPINFO info = TopDownInfo(width, height);
        bitmap_ = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (memory_ && bitmap_) {
            previous_ = ::SelectObject(memory_, bitmap_);
        }
    }
    ~LayeredSource() {
        if (previous_) {
            ::SelectObject(memory_, previous_);
        }
        if (bitmap_) {
            ::DeleteObject(bitmap_);
        }
        if (memory_) {
            ::DeleteDC(memory_);
        }
    }
    LayeredSource(const LayeredSource&) = delete;
    LayeredSource& operator=(const LayeredSource&) = delete;
    bool Ready() const { return previous_ != nullptr && bits_ != nullptr; }
    ::HDC Dc() const { return memory_; }
    void* Bits() const { return bits_; }

private:
    ::HDC memory_;
    ::HBITMAP bitmap_ = nullptr;
    void* bits_ = nullptr;
    ::HGDIOBJ previous_ = nullptr;
};

} // namespace

bool InvalidateRect(HWND window, const RECT* rect, bool erase) {
    return ::InvalidateRect(Native(window), NativeRect(rect), erase ? TRUE : FALSE) != FALSE;
}

bool ValidateRect(HWND window, const RECT* rect) { return ::ValidateRect(Native(window), NativeRect(rect)) != FALSE; }

bool GetUpdateRect(HWND window, RECT* rect) {
    return ::GetUpdateRect(Native(window), reinterpret_cast<::RECT*>(rect), FALSE) != FALSE;
}

bool UpdateWindow(HWND window) { return ::UpdateWindow(Native(window)) != FALSE; }

bool BeginPaint(HWND window, PaintPass* pass) {
    auto* paint = new (pass->native)::PAINTSTRUCT{};
    if (!::BeginPaint(Native(window), paint)) {
        return false;
    }
    pass->paint = RECT{paint->rcPaint.left, paint->rcPaint.top, paint->rcPaint.right, paint->rcPaint.bottom};
    pass->erase = paint->fErase != FALSE;
    return true;
}

void EndPaint(HWND window, PaintPass* pass) {
    ::EndPaint(Native(window), std::launder(reinterpret_cast<::PAINTSTRUCT*>(pass->native)));
}

bool PresentBitmap(HWND window, const RECT& dest, const void* pixels, int stride, int width, int height) {
    if (width == 0 || height == 0) {
        return true;
    }
    if (!ValidBitmap(pixels, stride, width, height)) {
        ::SetLastError(sys::ERROR_INVALID_PARAMETER_);
        return false;
    }
    std::vector<unsigned char> buffer;
    const void* rows = PackedRows(pixels, stride, width, height, buffer);
    const ::BITMAPINFO info = TopDownInfo(width, height);
    const WindowDc dc(Native(window));
    if (!dc.Get()) {
        return false;
    }
    ::SetStretchBltMode(dc.Get(), COLORONCOLOR);
    const int lines = ::StretchDIBits(dc.Get(), dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                                      0, 0, width, height, rows, &info, DIB_RGB_COLORS, SRCCOPY);
    return lines != 0 && lines != static_cast<int>(GDI_ERROR);
}

bool UpdateLayeredWindow(HWND window, const POINT* position, int width, int height, const void* pixels, int stride,
                         std::uint8_t constantAlpha) {
    if (!ValidBitmap(pixels, stride, width, height)) {
        ::SetLastError(sys::ERROR_INVALID_PARAMETER_);
        return false;
    }
    const WindowDc screen(nullptr);
    LayeredSource source(screen.Get(), width, height);
    if (!source.Ready()) {
        return false;
    }
    std::vector<unsigned char> buffer;
    std::memcpy(source.Bits(), PackedRows(pixels, stride, width, height, buffer),
                static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height));
    ::POINT target{position ? position->x : 0, position ? position->y : 0};
    ::SIZE size{width, height};
    ::POINT origin{0, 0};
    ::BLENDFUNCTION blend{AC_SRC_OVER, 0, constantAlpha, AC_SRC_ALPHA};
    return ::UpdateLayeredWindow(Native(window), screen.Get(), position ? &target : nullptr, &size, source.Dc(),
                                 &origin, 0, &blend, ULW_ALPHA) != FALSE;
}

bool SetLayeredOpacity(HWND window, std::uint8_t alpha) {
    return ::SetLayeredWindowAttributes(Native(window), 0, alpha, LWA_ALPHA) != FALSE;
}

} // namespace plat
