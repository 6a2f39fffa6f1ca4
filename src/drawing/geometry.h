// Colours and rectangles of a drawing, in the image's pixels.
#pragma once

#include <algorithm>
#include <cstdint>

// 0x00BBGGRR, red in the low byte.
using Colour = std::uint32_t;

// The colour that means "none": nothing is filled.
constexpr Colour kNoColour = 0xFF000000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0;

// Right and bottom are exclusive for filled areas; a line's corners are its end points.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }

    CRect Normalized() const {
        return {std::min(left, right), std::min(top, bottom), std::max(left, right),
                std::max(top, bottom)};
    }
    CRect Deflated(int by) const { return {left + by, top + by, right - by, bottom - by}; }
    CRect Intersected(const CRect& other) const {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
    bool operator==(const CRect&) const = default;
};
