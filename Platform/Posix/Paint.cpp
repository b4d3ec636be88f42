// Painting on the emulated desktop: invalid regions kept as their bounding rectangles, WM_PAINT
// when a queue has nothing more urgent, paint passes, and the pixels each window shows.
#include "Platform/Draw.h"

#include "Platform/Posix/Desktop.h"

#include <algorithm>
#include <cstring>

namespace plat::posix {
namespace {

WindowRect ClientArea(const WindowRecord& record) {
    return WindowRect{0, 0, record.client.Width(), record.client.Height()};
}

WindowRect Intersect(const WindowRect& a, const WindowRect& b) {
    return WindowRect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                      std::min(a.bottom, b.bottom)};
}

WindowRect Union(const WindowRect& a, const WindowRect& b) {
    return WindowRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                      std::max(a.bottom, b.bottom)};
}

// What remains of `invalid` after validating `valid`, as far as a rectangle can say.
std::optional<WindowRect> Subtract(const WindowRect& invalid, const WindowRect& valid) {
    const WindowRect overlap = Intersect(invalid, valid);
    if (overlap.Empty())
        return invalid;
    if (overlap == invalid)
        return std::nullopt;
    WindowRect rest = invalid;
    const bool fullWidth = overlap.left == invalid.left && overlap.right == invalid.right;
    const bool fullHeight = overlap.top == invalid.top && overlap.bottom == invalid.bottom;
    if (fullWidth && overlap.top == invalid.top)
        rest.top = overlap.bottom;
    else if (fullWidth && overlap.bottom == invalid.bottom)
        rest.bottom = overlap.top;
    else if (fullHeight && overlap.left == invalid.left)
        rest.left = overlap.right;
    else if (fullHeight && overlap.right == invalid.right)
        rest.right = overlap.left;
    return rest;
}

std::uint32_t ReadPixel(const void* pixels, int stride, int x, int y) {
    const auto* row = static_cast<const unsigned char*>(pixels) + static_cast<std::ptrdiff_t>(y) * stride;
    const unsigned char* p = row + static_cast<std::ptrdiff_t>(x) * 4;
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

bool ValidBitmap(const void* pixels, int stride, int width, int height) {
    return width >= 0 && height >= 0 && (width == 0 || height == 0 || (pixels && stride >= width * 4));
}

std::shared_ptr<PixelSurface> SurfaceFor(const WindowRecord& record) {
    const int width = static_cast<int>(record.client.Width());
    const int height = static_cast<int>(record.client.Height());
    if (record.pixels && !record.layeredContent && record.pixels->width == width && record.pixels->height == height)
        return std::make_shared<PixelSurface>(*record.pixels);
    auto surface = std::make_shared<PixelSurface>();
    surface->width = width;
    surface->height = height;
    surface->bgra.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    return surface;
}

void Stretch(PixelSurface& surface, const RECT& dest, const void* pixels, int stride, int width, int height) {
    const long destWidth = dest.right - dest.left;
    const long destHeight = dest.bottom - dest.top;
    if (destWidth <= 0 || destHeight <= 0 || width <= 0 || height <= 0)
        return;
    const long top = std::max(dest.top, 0L);
    const long bottom = std::min<long>(dest.bottom, surface.height);
    const long left = std::max(dest.left, 0L);
    const long right = std::min<long>(dest.right, surface.width);
    for (long y = top; y < bottom; ++y) {
        const int sourceY = static_cast<int>((y - dest.top) * height / destHeight);
        for (long x = left; x < right; ++x) {
            const int sourceX = static_cast<int>((x - dest.left) * width / destWidth);
            surface.bgra[static_cast<std::size_t>(y * surface.width + x)] = ReadPixel(pixels, stride, sourceX, sourceY);
        }
    }
}

template <typename Change> bool ChangeRecord(HWND window, Change change) {
    auto lock = LockWindows();
    WindowRecord* record = FindRecordLocked(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    return change(*record);
}

} // namespace

void InvalidateLocked(WindowRecord& record, const WindowRect* rect, bool erase) {
    const WindowRect area = rect ? Intersect(*rect, ClientArea(record)) : ClientArea(record);
    if (area.Empty())
        return;
    record.invalidRect = record.invalid ? Union(record.invalidRect, area) : area;
    record.invalid = true;
    record.erasePending = record.erasePending || erase;
    WakeWindowThreadLocked(record.handle);
}

std::optional<MSG> TakePaintLocked(DWORD threadId, const std::function<bool(HWND)>& passes, DWORD tick) {
    std::optional<MSG> message;
    ForEachRecordLocked([&](WindowRecord& record) {
        if (!message && record.threadId == threadId && record.invalid && IsVisibleLocked(record) &&
            passes(record.handle))
            message = MSG{record.handle, WM_PAINT, 0, 0, tick, DesktopLocked().cursor};
    });
    return message;
}

void ResizeSurfaceLocked(WindowRecord& record) {
    if (!record.pixels || record.layeredContent)
        return;
    const PixelSurface& old = *record.pixels;
    auto surface = std::make_shared<PixelSurface>();
    surface->width = static_cast<int>(record.client.Width());
    surface->height = static_cast<int>(record.client.Height());
    surface->bgra.assign(static_cast<std::size_t>(surface->width) * static_cast<std::size_t>(surface->height), 0);
    const int rows = std::min(old.height, surface->height);
    const int columns = std::min(old.width, surface->width);
    for (int y = 0; y < rows; ++y)
        std::copy_n(old.bgra.begin() + static_cast<std::ptrdiff_t>(y) * old.width, columns,
                    surface->bgra.begin() + static_cast<std::ptrdiff_t>(y) * surface->width);
    record.invalidRect = Intersect(record.invalidRect, ClientArea(record));
    record.invalid = record.invalid && !record.invalidRect.Empty();
    record.pixels = std::move(surface);
}

bool LayeredPixelTransparentLocked(const WindowRecord& record, POINT screenPoint) {
    if (!record.layeredContent || !record.pixels)
        return false;
    const PixelSurface& surface = *record.pixels;
    const long x = screenPoint.x - record.rect.left;
    const long y = screenPoint.y - record.rect.top;
    if (x < 0 || y < 0 || x >= surface.width || y >= surface.height)
        return true;
    return (surface.bgra[static_cast<std::size_t>(y * surface.width + x)] >> 24) == 0;
}

} // namespace plat::posix

namespace plat {

using namespace plat::posix;

bool InvalidateRect(HWND window, const RECT* rect, bool erase) {
    return ChangeRecord(window, [&](WindowRecord& record) {
        const WindowRect area = rect ? WindowRect{rect->left, rect->top, rect->right, rect->bottom} : WindowRect{};
        InvalidateLocked(record, rect ? &area : nullptr, erase);
        return true;
    });
}

bool ValidateRect(HWND window, const RECT* rect) {
    return ChangeRecord(window, [&](WindowRecord& record) {
        if (!record.invalid)
            return true;
        const std::optional<WindowRect> rest =
            rect ? Subtract(record.invalidRect, WindowRect{rect->left, rect->top, rect->right, rect->bottom})
                 : std::nullopt;
        record.invalid = rest.has_value();
        record.invalidRect = rest.value_or(WindowRect{});
        if (!record.invalid)
            record.erasePending = false;
        return true;
    });
}

bool GetUpdateRect(HWND window, RECT* rect) {
    auto lock = LockWindows();
    const WindowRecord* record = FindRecordLocked(window);
    if (!record)
        return false;
    const WindowRect area = record->invalid ? record->invalidRect : WindowRect{};
    if (rect)
        *rect = RECT{area.left, area.top, area.right, area.bottom};
    return record->invalid;
}

bool UpdateWindow(HWND window) {
    bool paint = false;
    const bool valid = ChangeRecord(window, [&](WindowRecord& record) {
        paint = record.invalid && IsVisibleLocked(record);
        return true;
    });
    if (paint)
        SendMessage(window, WM_PAINT, 0, 0);
    return valid;
}

bool BeginPaint(HWND window, PaintPass* pass) {
    if (!pass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    bool erase = false;
    const bool valid = ChangeRecord(window, [&](WindowRecord& record) {
        const WindowRect area = record.invalid ? record.invalidRect : WindowRect{};
        pass->paint = RECT{area.left, area.top, area.right, area.bottom};
        erase = record.erasePending;
        record.invalid = false;
        record.invalidRect = WindowRect{};
        record.erasePending = false;
        return true;
    });
    if (!valid)
        return false;
    pass->erase = erase && SendMessage(window, WM_ERASEBKGND, 0, 0) == 0;
    return true;
}

void EndPaint(HWND, PaintPass*) {}

bool PresentBitmap(HWND window, const RECT& dest, const void* pixels, int stride, int width, int height) {
    if (!ValidBitmap(pixels, stride, width, height)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return ChangeRecord(window, [&](WindowRecord& record) {
        // Hidden and minimised windows show nothing.
        if (!IsVisibleLocked(record) || record.client.Empty())
            return true;
        std::shared_ptr<PixelSurface> surface = SurfaceFor(record);
        Stretch(*surface, dest, pixels, stride, width, height);
        record.pixels = std::move(surface);
        record.layeredContent = false;
        return true;
    });
}

bool UpdateLayeredWindow(HWND window, const POINT* position, int width, int height, const void* pixels, int stride,
                         std::uint8_t) {
    if (width <= 0 || height <= 0 || !ValidBitmap(pixels, stride, width, height)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    WindowRect target;
    const bool stored = ChangeRecord(window, [&](WindowRecord& record) {
        // The system refuses windows that are not layered, or whose opacity was set instead.
        if (!(record.exStyle & WS_EX_LAYERED) || record.opacity) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        auto surface = std::make_shared<PixelSurface>();
        surface->width = width;
        surface->height = height;
        surface->bgra.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                surface->bgra[static_cast<std::size_t>(y) * width + x] = ReadPixel(pixels, stride, x, y);
        record.pixels = std::move(surface);
        record.layeredContent = true;
        const POINT origin = position ? *position : POINT{record.rect.left, record.rect.top};
        target = WindowRect{origin.x, origin.y, origin.x + width, origin.y + height};
        return true;
    });
    if (!stored)
        return false;
    return SetWindowPos(window, nullptr, static_cast<int>(target.left), static_cast<int>(target.top), width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

bool SetLayeredOpacity(HWND window, std::uint8_t alpha) {
    return ChangeRecord(window, [&](WindowRecord& record) {
        if (!(record.exStyle & WS_EX_LAYERED)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        record.opacity = alpha;
        if (record.layeredContent) {
            // The window leaves the per-pixel mode and paints itself again.
            record.layeredContent = false;
            record.pixels.reset();
            InvalidateLocked(record, nullptr, true);
        }
        return true;
    });
}

} // namespace plat
