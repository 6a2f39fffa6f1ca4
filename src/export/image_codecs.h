// Encoders for exported images: 24-bit RGB JPEG and PNG from a QImage's own memory.
#pragma once

#include <QImage>

#include "export/image_buffer.h"

// JPEG at the quality (1..100) without chroma subsampling; the image is Format_RGB32.
// std::runtime_error with the codec's message when encoding fails.
CImageBuffer EncodeJpeg(const QImage& image, int quality);

// PNG with the library's default settings; the image is Format_RGB32.
// std::runtime_error with the codec's message when encoding fails.
CImageBuffer EncodePng(const QImage& image);
