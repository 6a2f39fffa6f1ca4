#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <memory>
#include <stdexcept>
#include <string>

#include "export/image_codecs.h"

namespace {

// Everything the codec changes lives on the heap, so it is well defined after a longjmp.
struct JpegJob {
    jpeg_compress_struct codec{};
    jpeg_error_mgr errors{};
    std::jmp_buf escape{};
    char message[JMSG_LENGTH_MAX] = {};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

[[noreturn]] void onError(j_common_ptr codec) {
    auto* job = static_cast<JpegJob*>(codec->client_data);
    (*codec->err->format_message)(codec, job->message);
    std::longjmp(job->escape, 1);
}

}  // namespace

CImageBuffer EncodeJpeg(const QImage& image, int quality) {
    if (image.isNull() || image.format() != QImage::Format_RGB32) {
        throw std::runtime_error("JPEG encoding failed: no 32-bit RGB image to encode");
    }
    auto job = std::make_unique<JpegJob>();
    jpeg_compress_struct& codec = job->codec;
    codec.err = jpeg_std_error(&job->errors);
    job->errors.error_exit = &onError;
    if (setjmp(job->escape) != 0) {
        jpeg_destroy_compress(&codec);
        std::free(job->buffer);
        throw std::runtime_error(std::string("JPEG encoding failed: ") + job->message);
    }
    jpeg_create_compress(&codec);
    codec.client_data = job.get();
    jpeg_mem_dest(&codec, &job->buffer, &job->size);
    codec.image_width = static_cast<JDIMENSION>(image.width());
    codec.image_height = static_cast<JDIMENSION>(image.height());
    // Format_RGB32 lies in memory as B, G, R, unused on little-endian machines.
    codec.input_components = 4;
    codec.in_color_space =
        QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_set_defaults(&codec);
    jpeg_set_quality(&codec, quality, TRUE);
    // Full colour resolution keeps coloured text sharp.
    for (int i = 0; i < codec.num_components; ++i) {
        codec.comp_info[i].h_samp_factor = 1;
        codec.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&codec, TRUE);
    while (codec.next_scanline < codec.image_height) {
        auto* row =
            const_cast<JSAMPROW>(image.constScanLine(static_cast<int>(codec.next_scanline)));
        jpeg_write_scanlines(&codec, &row, 1);
    }
    jpeg_finish_compress(&codec);
    jpeg_destroy_compress(&codec);
    return CImageBuffer(job->buffer, job->size);
}
