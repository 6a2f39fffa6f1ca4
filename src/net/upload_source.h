// Bytes in memory handed to libcurl as the body of an upload.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>

struct UploadSource {
    const unsigned char* data;
    size_t size;
    size_t done = 0;

    // For CURLOPT_READFUNCTION with the source as CURLOPT_READDATA.
    static size_t Read(char* buffer, size_t size, size_t count, void* self) {
        auto* source = static_cast<UploadSource*>(self);
        size_t chunk = std::min(size * count, source->size - source->done);
        std::memcpy(buffer, source->data + source->done, chunk);
        source->done += chunk;
        return chunk;
    }
};
