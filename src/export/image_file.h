// A drawing turned into the image file that is published.
#pragma once

#include <functional>

#include "base/stop_check.h"
#include "drawing/drawing.h"
#include "export/image_buffer.h"

// The drawing's image format 3 is JPEG; 4, and any other value, is PNG.
constexpr int kJpegFormat = 3;
constexpr int kPngFormat = 4;

// The drawing as exported, designMode 0, in an image of its size, its live pictures read anew
// (FetchLivePictures; its failure is raised as std::runtime_error).
QImage RenderDrawing(CDrawing& drawing, const StopCheck& stop = {});

// An image of the drawing's size, white, with draw painting on its canvas; nothing is fetched,
// so it may run on the window's thread.
QImage RenderOnImage(CDrawing& drawing, const std::function<void(CCanvas&)>& draw);

// The drawing as a JPEG (quality 100) or PNG file in memory, 24-bit RGB. Raises
// std::runtime_error with a clear text when nothing could be produced.
CImageBuffer RenderImage(CDrawing& drawing, const StopCheck& stop = {});
