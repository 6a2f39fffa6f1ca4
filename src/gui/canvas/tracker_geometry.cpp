#include "gui/canvas/tracker_geometry.h"

#include <cmath>
#include <cstdlib>

#include "drawing/drawing.h"

unsigned RectHandleMask(const CRect& rect, int handleSize) {
    CRect r = rect.Normalized();
    unsigned mask = 0x0F;
    if (r.Width() - 3 * handleSize > 4) {
        mask |= 1u << kTop | 1u << kBottom;
    }
    if (r.Height() - 3 * handleSize > 4) {
        mask |= 1u << kLeft | 1u << kRight;
    }
    return mask;
}

int LineEndCorner(const CRect& line, int end) {
    bool start = end == kTopLeft;
    bool left = (line.left <= line.right) == start;
    bool top = (line.top <= line.bottom) == start;
    return top ? (left ? kTopLeft : kTopRight) : (left ? kBottomLeft : kBottomRight);
}

unsigned LineHandleMask(const CRect& line) {
    return 1u << LineEndCorner(line, kTopLeft) | 1u << LineEndCorner(line, kBottomRight);
}

int LineHandleAt(const CRect& line, int x, int y, int handleSize) {
    int corner = HandleAt(line, LineHandleMask(line), x, y, handleSize);
    for (int end : {kTopLeft, kBottomRight}) {
        if (corner == LineEndCorner(line, end)) {
            return end;
        }
    }
    return corner;
}

CRect HandleSquare(const CRect& rect, int handle, int size) {
    CRect r = rect.Normalized();
    int centreX = (r.left + r.right) / 2 - size / 2;
    int centreY = (r.top + r.bottom) / 2 - size / 2;
    int x = 0;
    int y = 0;
    switch (handle) {
        case kTopLeft:
            x = r.left - size, y = r.top - size;
            break;
        case kTopRight:
            x = r.right, y = r.top - size;
            break;
        case kBottomRight:
            x = r.right, y = r.bottom;
            break;
        case kBottomLeft:
            x = r.left - size, y = r.bottom;
            break;
        case kTop:
            x = centreX, y = r.top - size;
            break;
        case kRight:
            x = r.right, y = centreY;
            break;
        case kBottom:
            x = centreX, y = r.bottom;
            break;
        case kLeft:
            x = r.left - size, y = centreY;
            break;
        default:
            return {};
    }
    return {x, y, x + size, y + size};
}

int HandleAt(const CRect& rect, unsigned mask, int x, int y, int size) {
    for (int handle = kTopLeft; handle <= kLeft; ++handle) {
        if (!(mask & (1u << handle))) {
            continue;
        }
        // A little larger than drawn, so the small squares are easy to grab.
        CRect square = HandleSquare(rect, handle, size);
        if (x >= square.left - 2 && x < square.right + 2 && y >= square.top - 2 &&
            y < square.bottom + 2) {
            return handle;
        }
    }
    CRect r = rect.Normalized();
    // A line or a flat element still has an inside to grab.
    bool inside = x >= r.left - 1 && x <= std::max(r.right, r.left + 1) && y >= r.top - 1 &&
                  y <= std::max(r.bottom, r.top + 1);
    return inside ? kInside : kNoHandle;
}

CRect DraggedRect(const CRect& start, int handle, int dx, int dy) {
    CRect r = start;
    switch (handle) {
        case kInside:
            return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
        case kTopLeft:
            r.left += dx, r.top += dy;
            break;
        case kTopRight:
            r.right += dx, r.top += dy;
            break;
        case kBottomRight:
            r.right += dx, r.bottom += dy;
            break;
        case kBottomLeft:
            r.left += dx, r.bottom += dy;
            break;
        case kTop:
            r.top += dy;
            break;
        case kRight:
            r.right += dx;
            break;
        case kBottom:
            r.bottom += dy;
            break;
        case kLeft:
            r.left += dx;
            break;
        default:
            break;
    }
    return r;
}

CRect SnapRect(int handle, CRect r, int offset, const CDrawing& drawing, const CDrawObj* tracked) {
    bool moving = handle == kInside;
    int width = r.Width();
    int height = r.Height();
    auto target = [&](const CRect& probe) {
        return drawing.FindOverlapping(probe, tracked, nullptr)->GetRect();
    };
    CRect probe = r;
    probe.left = r.left - offset;
    probe.right = r.left + offset;
    CRect s = target(probe);
    int before = r.left;
    if (std::abs(r.left - s.right) <= offset) {
        r.left = s.right;
    } else if (std::abs(r.left - s.left) <= offset) {
        r.left = s.left;
    }
    if (moving && r.left != before) {
        r.right = r.left + width;
    }

    probe = r;
    probe.left = r.right - offset;
    probe.right = r.right + offset;
    s = target(probe);
    if (std::abs(r.right - s.right) <= offset) {
        r.right = s.right;
    } else if (std::abs(r.right - s.left) <= offset) {
        r.right = s.left;
    }
    if (moving) {
        r.left = r.right - width;
    }

    probe = r;
    probe.top = r.top - offset;
    probe.bottom = r.top + offset;
    s = target(probe);
    before = r.top;
    if (std::abs(r.top - s.top) <= offset) {
        r.top = s.top;
    } else if (std::abs(r.top - s.bottom) <= offset) {
        r.top = s.bottom;
    }
    if (moving) {
        r.bottom = r.top + height;
    }

    probe = r;
    probe.top = r.bottom - offset;
    probe.bottom = r.bottom + offset;
    s = target(probe);
    if (std::abs(r.bottom - s.top) <= offset) {
        r.bottom = s.top;
    } else if (std::abs(r.bottom - s.bottom) <= offset) {
        r.bottom = s.bottom;
    }
    if (moving) {
        r.top = r.bottom - height;
    }
    return r;
}

double AspectRatio(const CRect& rect) {
    if (rect.Height() == 0) {
        return 0;
    }
    return std::floor(static_cast<double>(rect.Width()) / rect.Height() * 1000 + 0.5) / 1000;
}

CRect AdjustRect(int handle, const CRect& rect, double ratio) {
    if (handle == kInside || handle == kNoHandle || ratio <= 0) {
        return rect;
    }
    int width = rect.Width();
    int height = rect.Height();
    if (handle == kRight || handle == kLeft) {
        height = static_cast<int>(std::floor(width / ratio + 0.5));
    } else {
        width = static_cast<int>(std::floor(height * ratio + 0.5));
    }
    CRect r = rect;
    switch (handle) {
        case kTopLeft:
        case kLeft:  // the bottom-right corner stays
            r.left = r.right - width;
            r.top = r.bottom - height;
            break;
        case kTopRight:
        case kTop:  // the bottom-left corner stays
            r.right = r.left + width;
            r.top = r.bottom - height;
            break;
        case kBottomLeft:  // the top-right corner stays
            r.left = r.right - width;
            r.bottom = r.top + height;
            break;
        default:  // 2, 5, 6: the top-left corner stays
            r.right = r.left + width;
            r.bottom = r.top + height;
            break;
    }
    return r;
}

CRect ShiftIntoImage(const CRect& rect, int width, int height) {
    CRect r = rect.Normalized();
    auto shift = [&r](int dx, int dy) {
        r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    };
    if (r.bottom > height) {
        shift(0, height - r.bottom);
    }
    if (r.top < 0) {
        shift(0, -r.top);
    }
    if (r.left < 0) {
        shift(-r.left, 0);
    }
    if (r.right > width) {
        shift(width - r.right, 0);
    }
    return r;
}
