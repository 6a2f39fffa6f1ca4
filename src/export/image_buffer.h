// An encoded image file in memory, exactly as it would be stored on disk; owns its bytes.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

class CImageBuffer {
  public:
    CImageBuffer() = default;
    // Takes over bytes allocated with malloc.
    CImageBuffer(unsigned char* data, size_t size) : m_data(data), m_size(size) {}

    const unsigned char* Data() const { return m_data.get(); }
    size_t Size() const { return m_size; }

  private:
    struct Free {
        void operator()(unsigned char* data) const { std::free(data); }
    };
    std::unique_ptr<unsigned char, Free> m_data;
    size_t m_size = 0;
};
