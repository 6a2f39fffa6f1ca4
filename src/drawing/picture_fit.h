// How a picture fills its element's rectangle: stretched, fitted whole or filling it.
#pragma once

#include <QRect>
#include <QSize>
#include <string>

enum class PictureFit {
    // Resampled to the rectangle, whatever its aspect ratio (the list's default).
    Stretch,
    // The whole picture at its aspect ratio, centred; the rest shows the element's background.
    Fit,
    // Covers the rectangle at its aspect ratio, centred; what sticks out is cut off.
    Fill,
};

// The part of the picture that is drawn, in the picture's pixels, and where it lands in the
// rectangle, with the rectangle's top-left corner at (0, 0).
struct PicturePlacement {
    QRect source;
    QRect target;
};

// Where a picture of that size goes in an area of that size; empty rectangles when either is
// empty.
PicturePlacement PlacePicture(QSize picture, QSize area, PictureFit fit);

// The list's name of the mode ("stretch", "fit", "fill"), and the mode of a name; an unknown
// name is Stretch.
const char* PictureFitName(PictureFit fit);
PictureFit PictureFitFromName(const std::string& name);
