// The live pictures of an image, read anew and checked for one export: files and camera
// snapshots, each decoded once straight to the size it is drawn at.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>

#include "base/stop_check.h"
#include "drawing/drawing.h"
#include "drawing/live_picture.h"

// How long one camera may take to send its snapshot, in seconds.
constexpr int kLiveFetchSeconds = 10;

// A live picture's bytes as read from its file or fetched from its camera.
struct LivePictureBytes {
    std::string data;
    // The camera's Content-Type; "" for a file or when it named none.
    std::string contentType;
};

// Reads or fetches the source and checks its age (the file's time, or the camera's
// Last-Modified when it sends one) against maxage; a maxage of 0 or less accepts any age.
// std::runtime_error with a text that names the source and what is wrong.
LivePictureBytes ReadLivePicture(const LivePictureSource& source, const StopCheck& stop,
                                 int seconds = kLiveFetchSeconds);

// The snapshot of the bytes for the source's rectangle: decoded at most once, already placed
// and resampled as its fit asks (the JPEG decoder scales while decoding), made opaque over the
// element's background. std::runtime_error naming the source when the bytes are no picture.
LiveSnapshot DecodeLivePicture(const LivePictureBytes& bytes, const LivePictureSource& source);

// The whole picture, no larger than bound (aspect ratio kept), for the editor; null when the
// bytes are no picture.
QImage DecodePictureWithin(const std::string& bytes, QSize bound);

// Every live picture of the drawing, read and decoded. A picture that cannot be had (too old,
// missing, a failed or too slow fetch, not a picture) raises std::runtime_error with its text,
// unless the element is optional: then it gets a null snapshot and is left out.
CLiveSnapshots FetchLivePictures(const CDrawing& drawing, const StopCheck& stop = {},
                                 int seconds = kLiveFetchSeconds);
