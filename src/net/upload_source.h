// Bytes in memory handed to libcurl as the body of an upload.
#pragma once

#include <curl/curl.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
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

    // For CURLOPT_SEEKFUNCTION: curl sends the body again after an authentication challenge.
    static int Seek(void* self, curl_off_t offset, int origin) {
        auto* source = static_cast<UploadSource*>(self);
        if (origin != SEEK_SET || offset < 0 || static_cast<size_t>(offset) > source->size) {
            return CURL_SEEKFUNC_CANTSEEK;
        }
        source->done = static_cast<size_t>(offset);
        return CURL_SEEKFUNC_OK;
    }
};
