#include "Toolkit/Render/Bitmap.h"

#include <algorithm>

namespace SkinUI {

TRect TRect::Intersect(const TRect& other) const
{
    const TRect result{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                       std::min(bottom, other.bottom)};
    return result.IsEmpty() ? TRect{} : result;
}

bool CBitmap::Create(int width, int height)
{
    m_width = 0;
    m_height = 0;
    m_pixels.clear();
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        static_cast<long long>(width) * height > kMaxPixels)
        return false;
    m_pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    m_width = width;
    m_height = height;
    return true;
}

void CBitmap::Clear(TPixel value)
{
    std::fill(m_pixels.begin(), m_pixels.end(), value);
}

} // namespace SkinUI
