// A drawing turned into the image file that is published.
#pragma once

#include "drawing/drawing.h"
#include "export/image_buffer.h"

// The drawing's image format 3 is JPEG; 4, and any other value, is PNG.
constexpr int kJpegFormat = 3;
constexpr int kPngFormat = 4;

#include <functional>

// The drawing as exported, designMode 0, in an image of its size; draw, when given, paints it
// on the image's canvas instead of a plain drawing.Draw.
QImage RenderDrawing(CDrawing& drawing, const std::function<void(CCanvas&)>& draw = {});

// The drawing as a JPEG (quality 100) or PNG file in memory, 24-bit RGB. Raises
// std::runtime_error with a clear text when nothing could be produced.
CImageBuffer RenderImage(CDrawing& drawing);
