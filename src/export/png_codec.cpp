#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "export/image_codecs.h"

namespace {

// The growing output file, malloc'd so that CImageBuffer can take it over; on the heap, so it
// is well defined after a longjmp.
struct Output {
    unsigned char* data = nullptr;
    size_t size = 0;
    size_t capacity = 0;
    std::string error;
};

void writeBytes(png_structp codec, png_bytep bytes, png_size_t length) {
    auto* output = static_cast<Output*>(png_get_io_ptr(codec));
    if (output->size + length > output->capacity) {
        size_t capacity = std::max(output->capacity * 2, output->size + length + 4096);
        auto* grown = static_cast<unsigned char*>(std::realloc(output->data, capacity));
        if (grown == nullptr) {
            png_error(codec, "out of memory");
        }
        output->data = grown;
        output->capacity = capacity;
    }
    std::memcpy(output->data + output->size, bytes, length);
    output->size += length;
}

void flushNothing(png_structp) {}

void onError(png_structp codec, png_const_charp message) {
    static_cast<Output*>(png_get_error_ptr(codec))->error = message;
    png_longjmp(codec, 1);
}

void onWarning(png_structp, png_const_charp) {}

}  // namespace

CImageBuffer EncodePng(const QImage& image) {
    if (image.isNull() || image.format() != QImage::Format_RGB32) {
        throw std::runtime_error("PNG encoding failed: no 32-bit RGB image to encode");
    }
    auto output = std::make_unique<Output>();
    png_structp codec =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, output.get(), &onError, &onWarning);
    png_infop info = codec != nullptr ? png_create_info_struct(codec) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&codec, nullptr);
        throw std::runtime_error("PNG encoding failed: out of memory");
    }
    if (setjmp(png_jmpbuf(codec)) != 0) {
        png_destroy_write_struct(&codec, &info);
        std::free(output->data);
        throw std::runtime_error("PNG encoding failed: " + output->error);
    }
    png_set_write_fn(codec, output.get(), &writeBytes, &flushNothing);
    png_set_IHDR(codec, info, static_cast<png_uint_32>(image.width()),
                 static_cast<png_uint_32>(image.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(codec, info);
    // Rows come straight from the image: drop the unused fourth byte, swap to R, G, B.
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        png_set_bgr(codec);
        png_set_filler(codec, 0, PNG_FILLER_AFTER);
    } else {
        png_set_filler(codec, 0, PNG_FILLER_BEFORE);
    }
    for (int y = 0; y < image.height(); ++y) {
        png_write_row(codec, image.constScanLine(y));
    }
    png_write_end(codec, info);
    png_destroy_write_struct(&codec, &info);
    return CImageBuffer(output->data, output->size);
}
