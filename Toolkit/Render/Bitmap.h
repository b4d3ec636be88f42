// The software renderer's pixel surface: 32-bit, top-down, premultiplied alpha.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

namespace SkinUI {

static_assert(std::endian::native == std::endian::little, "pixels are stored as little-endian words");

// 0xAARRGGBB; where a colour is optional, 0 means none.
using TColor = std::uint32_t;

// One premultiplied pixel read as a 32-bit word: alpha, red, green, blue from the top byte down,
// so in memory the bytes run blue, green, red, alpha.
using TPixel = std::uint32_t;

// Left, top, right, bottom; right and bottom are exclusive.
struct TRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    constexpr bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    // An empty intersection is all zeros.
    TRect Intersect(const TRect& other) const;
    bool Intersects(const TRect& other) const { return !Intersect(other).IsEmpty(); }
    TRect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }

    friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr unsigned AlphaOf(std::uint32_t argb) { return argb >> 24; }
constexpr unsigned RedOf(std::uint32_t argb) { return (argb >> 16) & 0xFFu; }
constexpr unsigned GreenOf(std::uint32_t argb) { return (argb >> 8) & 0xFFu; }
constexpr unsigned BlueOf(std::uint32_t argb) { return argb & 0xFFu; }
constexpr std::uint32_t MakeArgb(unsigned a, unsigned r, unsigned g, unsigned b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// The one rounding rule of every premultiplication and blend: x * a / 255, truncated.
constexpr unsigned MulDiv255(unsigned x, unsigned a) { return x * a / 255u; }

// Every channel, alpha included, times alpha / 255.
constexpr TPixel ScalePixel(TPixel pixel, unsigned alpha)
{
    return MakeArgb(MulDiv255(AlphaOf(pixel), alpha), MulDiv255(RedOf(pixel), alpha),
                    MulDiv255(GreenOf(pixel), alpha), MulDiv255(BlueOf(pixel), alpha));
}

// A straight colour as a premultiplied pixel.
constexpr TPixel Premultiply(TColor color)
{
    const unsigned a = AlphaOf(color);
    return MakeArgb(a, MulDiv255(RedOf(color), a), MulDiv255(GreenOf(color), a), MulDiv255(BlueOf(color), a));
}

// Source-over of premultiplied pixels: src + dst * (255 - src alpha) / 255 per channel.
constexpr TPixel BlendPixel(TPixel dst, TPixel src)
{
    const unsigned keep = 255u - AlphaOf(src);
    return MakeArgb(AlphaOf(src) + MulDiv255(AlphaOf(dst), keep), RedOf(src) + MulDiv255(RedOf(dst), keep),
                    GreenOf(src) + MulDiv255(GreenOf(dst), keep), BlueOf(src) + MulDiv255(BlueOf(dst), keep));
}

class CBitmap {
public:
    // Largest side and area a bitmap may have; larger requests give an empty bitmap.
    static constexpr int kMaxSide = 16384;
    static constexpr long long kMaxPixels = 1LL << 24;

    CBitmap() = default;
    CBitmap(int width, int height) { Create(width, height); }

    // Transparent black of the given size; false (and empty) for a size of 0, negative or too large.
    bool Create(int width, int height);
    void Clear(TPixel value = 0);

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // Bytes from one row to the next.
    int GetStride() const { return m_width * 4; }
    bool IsEmpty() const { return m_pixels.empty(); }
    TRect GetBounds() const { return {0, 0, m_width, m_height}; }

    // Preconditions: 0 <= y < height (and 0 <= x < width).
    TPixel* Row(int y) { return m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width); }
    const TPixel* Row(int y) const
    {
        return m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
    }
    TPixel GetPixel(int x, int y) const { return Row(y)[x]; }
    void SetPixel(int x, int y, TPixel pixel) { Row(y)[x] = pixel; }

    std::uint8_t* GetBits() { return reinterpret_cast<std::uint8_t*>(m_pixels.data()); }
    const std::uint8_t* GetBits() const { return reinterpret_cast<const std::uint8_t*>(m_pixels.data()); }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<TPixel> m_pixels;
};

} // namespace SkinUI
