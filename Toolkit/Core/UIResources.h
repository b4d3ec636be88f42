// The per-window resource records a manager keeps: fonts and images.
#pragma once

#include "Platform/Types.h"
#include "Toolkit/Render/Bitmap.h"

#include <string>

namespace SkinUI {

// One font of the window's table. The platform font is made from this record when text is
// first measured or drawn; an empty face stands for the platform's default GUI font.
struct TFontInfo {
    static constexpr std::size_t kMaxFaceLength = 31;
    static constexpr int kNormalWeight = 400;

    std::wstring face;
    int size = 0; // character height in pixels; 0: the default font's own height
    int weight = kNormalWeight;
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

// One loaded image: premultiplied pixels and what it was loaded with.
struct TImageInfo {
    CBitmap bitmap;
    int width = 0;
    int height = 0;
    bool alpha = false;
    std::wstring resourceType;
    TColor mask = 0;
};

} // namespace SkinUI
