// A drawing target: the bitmap every drawing operation writes to, and the clip stack they all honour.
#pragma once

#include "Toolkit/Render/Bitmap.h"

#include <vector>

namespace SkinUI {

// The pixels of a rectangle with quarter-ellipse corners, without anti-aliasing: a pixel is inside
// when its centre lies in the rectangle and, within a corner, in that corner's ellipse of the given
// width and height (each limited to the rectangle's size; 0 gives square corners).
class CRoundRegion {
public:
    CRoundRegion(const TRect& rect, int ellipseWidth, int ellipseHeight);

    const TRect& GetRect() const { return m_rect; }
    // The run [left, right) of row y inside the region; false when the row holds none.
    bool RowSpan(int y, int& left, int& right) const;
    bool Contains(int x, int y) const;

private:
    TRect m_rect;
    int m_ellipseWidth;
    int m_ellipseHeight;
};

class CDrawContext {
public:
    // The target must outlive the context. Clips are always limited to the target's current bounds,
    // so the target may be re-created at another size while the context lives.
    explicit CDrawContext(CBitmap& target);

    CBitmap& GetTarget() { return *m_target; }
    const CBitmap& GetTarget() const { return *m_target; }

    // Intersects the current clip with the rectangle.
    void PushClip(const TRect& rect);
    // Intersects the current clip with the rectangle and with the rounded region of round.
    void PushRoundClip(const TRect& rect, const TRect& round, int ellipseWidth, int ellipseHeight);
    // Restores the clip before the last push; the initial clip is never popped.
    void PopClip();
    int GetClipDepth() const { return static_cast<int>(m_clips.size()) - 1; }

    // Bounds of the current clip (the bitmap's bounds at most).
    TRect GetClipBox() const;
    // Narrows [left, right) to the part of row y the clip lets through; false when nothing is left.
    bool ClipRow(int y, int& left, int& right) const;
    bool IsVisible(int x, int y) const;

private:
    struct TClip {
        TRect box;
        std::vector<CRoundRegion> rounds;
    };

    CBitmap* m_target;
    std::vector<TClip> m_clips;
};

// Holds a clip for the life of a scope.
class CRenderClip {
public:
    CRenderClip(CDrawContext& context, const TRect& rect) : m_context(context) { context.PushClip(rect); }
    CRenderClip(CDrawContext& context, const TRect& rect, const TRect& round, int ellipseWidth, int ellipseHeight)
        : m_context(context)
    {
        context.PushRoundClip(rect, round, ellipseWidth, ellipseHeight);
    }
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;
    ~CRenderClip() { m_context.PopClip(); }

private:
    CDrawContext& m_context;
};

} // namespace SkinUI
