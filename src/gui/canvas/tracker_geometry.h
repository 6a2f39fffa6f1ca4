// The arithmetic of the canvas trackers as plain functions: handles, moving and resizing by a
// handle, snapping to other elements, keeping a picture's aspect ratio, and putting an
// element back into the image.
#pragma once

#include "drawing/geometry.h"

class CDrawing;
class CDrawObj;

// Handle numbers: corners, then edges, then the inside (moving).
enum TrackerHandle {
    kNoHandle = -1,
    kTopLeft = 0,
    kTopRight = 1,
    kBottomRight = 2,
    kBottomLeft = 3,
    kTop = 4,
    kRight = 5,
    kBottom = 6,
    kLeft = 7,
    kInside = 8,
};

// The handle size in pixels.
constexpr int kHandleSize = 4;

// One bit per handle shown: the corners always; top and bottom only when the width exceeds
// three handle sizes by more than 4 pixels, left and right only when the height does.
unsigned RectHandleMask(const CRect& rect, int handleSize = kHandleSize);
// The corner of the normalized rectangle at an end of a line: end kTopLeft is its start (left,
// top), end kBottomRight its end (right, bottom), whichever way the line runs.
int LineEndCorner(const CRect& line, int end);
// A line shows its two end points only: the corners where they lie.
unsigned LineHandleMask(const CRect& line);
// The end of the line (kTopLeft or kBottomRight) whose handle is at the point; kInside or
// kNoHandle as HandleAt says otherwise.
int LineHandleAt(const CRect& line, int x, int y, int handleSize = kHandleSize);

// The square of a handle, just outside the normalized rectangle.
CRect HandleSquare(const CRect& rect, int handle, int handleSize = kHandleSize);
// The handle at the point (kInside inside the rectangle); kNoHandle elsewhere.
int HandleAt(const CRect& rect, unsigned mask, int x, int y, int handleSize = kHandleSize);

// The rectangle after dragging handle from its start by (dx, dy); kInside keeps the size.
CRect DraggedRect(const CRect& start, int handle, int dx, int dy);

// Snaps the edges the handle moves (all four when moving, keeping the size) to the edges of
// the topmost other element near them, or to the image border.
CRect SnapRect(int handle, CRect rect, int offset, const CDrawing& drawing,
               const CDrawObj* tracked);

// A picture's ratio of width to height, rounded to three decimals.
double AspectRatio(const CRect& rect);
// Keeps the ratio while resizing by handle, anchored at the opposite corner; moving is left
// alone.
CRect AdjustRect(int handle, const CRect& rect, double ratio);

// Normalized, then shifted into a width × height image: the bottom up to the image, the top
// down to 0, the left right to 0, the right left to the width, in that order.
CRect ShiftIntoImage(const CRect& rect, int width, int height);
