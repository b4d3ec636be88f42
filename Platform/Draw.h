// Painting a window: the invalid region, paint passes, and putting 32-bit premultiplied BGRA
// pixels (blue, green, red, alpha bytes; rows `stride` bytes apart) on the screen, either into
// the client area or as the whole content of a layered window.
#pragma once

#include "Platform/Window.h"

#include <cstdint>

namespace plat {

// Adds `rect` (client coordinates; null: the whole client area) to the window's invalid region.
// A visible window with an invalid region gets WM_PAINT when its queue holds nothing else but
// timers; `erase` makes the next BeginPaint send WM_ERASEBKGND.
bool InvalidateRect(HWND window, const RECT* rect, bool erase);
bool ValidateRect(HWND window, const RECT* rect);
// The bounding rectangle of the invalid region; false when it is empty.
bool GetUpdateRect(HWND window, RECT* rect);
// Sends WM_PAINT at once when the window is visible and has an invalid region.
bool UpdateWindow(HWND window);

// One paint pass, from WM_PAINT: BeginPaint takes the invalid region (and validates it), EndPaint
// closes the pass. `paint` is the region's bounding rectangle in client coordinates; `erase` is
// true when WM_ERASEBKGND did not erase the background.
struct PaintPass {
    RECT paint{};
    bool erase = false;
    alignas(8) unsigned char native[80]{}; // the backend's own record of the pass
};
bool BeginPaint(HWND window, PaintPass* pass);
void EndPaint(HWND window, PaintPass* pass);

// Draws `width` x `height` pixels stretched to `dest` (client coordinates). The alpha bytes are
// not blended: the window shows the premultiplied colours as they are.
bool PresentBitmap(HWND window, const RECT& dest, const void* pixels, int stride, int width, int height);

// Replaces the whole content of a WS_EX_LAYERED window with the pixels, blended by their alpha
// and `constantAlpha`, and moves and sizes the window to `position` (null: where it is) and
// `width` x `height`. Fully transparent pixels let the mouse through.
bool UpdateLayeredWindow(HWND window, const POINT* position, int width, int height, const void* pixels,
                         int stride, std::uint8_t constantAlpha);

// Whole-window opacity of a WS_EX_LAYERED window (255: opaque).
bool SetLayeredOpacity(HWND window, std::uint8_t alpha);

} // namespace plat
