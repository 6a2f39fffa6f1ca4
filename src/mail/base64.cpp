#include "mail/base64.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Two output characters for every 12 bits, so three bytes need two look-ups.
const std::array<unsigned short, 4096>& pairTable() {
    static const auto table = [] {
        std::array<unsigned short, 4096> pairs{};
        for (unsigned i = 0; i < 4096; ++i) {
            unsigned char pair[2] = {static_cast<unsigned char>(kAlphabet[i >> 6]),
                                     static_cast<unsigned char>(kAlphabet[i & 63])};
            std::memcpy(&pairs[i], pair, 2);
        }
        return pairs;
    }();
    return table;
}

// Six-bit values; "=" is 255 (taken as 0); every other byte 254, used unchanged.
const std::array<unsigned char, 256>& decodeTable() {
    static const auto table = [] {
        std::array<unsigned char, 256> values;
        values.fill(254);
        for (unsigned i = 0; i < 64; ++i) {
            auto c = static_cast<unsigned char>(kAlphabet[i]);
            values[c] = static_cast<unsigned char>(i);
            values[c | 0x80] = static_cast<unsigned char>(i);
        }
        values['='] = 255;
        values['=' | 0x80] = 255;
        return values;
    }();
    return table;
}

// Pages of 4,096 bytes, always one more than asked for, so results stay zero-terminated.
size_t pagesFor(size_t size) {
    return (size / 4096 + 1) * 4096;
}

}  // namespace

void CBase64::ReserveEncoded(size_t size) {
    if (m_encoded.size() < size + 1) {
        m_encoded.resize(pagesFor(size));
    }
    m_encodedLength = 0;
}

void CBase64::ReserveDecoded(size_t size) {
    if (m_decoded.size() < size + 1) {
        m_decoded.resize(pagesFor(size));
    }
    m_decodedLength = 0;
}

void CBase64::Encode(const char* text) {
    Encode(reinterpret_cast<const unsigned char*>(text), std::strlen(text));
}

void CBase64::Encode(const unsigned char* data, size_t length) {
    size_t outLength = (length + 2) / 3 * 4;
    ReserveEncoded(outLength);
    const auto& pairs = pairTable();
    char* out = m_encoded.data();
    size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        unsigned group = (unsigned(data[i]) << 16) | (unsigned(data[i + 1]) << 8) | data[i + 2];
        std::memcpy(out, &pairs[group >> 12], 2);
        std::memcpy(out + 2, &pairs[group & 0xFFF], 2);
        out += 4;
    }
    size_t rest = length - i;
    if (rest > 0) {
        unsigned group = unsigned(data[i]) << 16;
        if (rest == 2) {
            group |= unsigned(data[i + 1]) << 8;
        }
        out[0] = kAlphabet[group >> 18];
        out[1] = kAlphabet[(group >> 12) & 63];
        out[2] = rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        out[3] = '=';
        out += 4;
    }
    *out = '\0';
    m_encodedLength = outLength;
}

void CBase64::Decode(const char* text) {
    Decode(text, std::strlen(text));
}

void CBase64::Decode(const char* text, size_t length) {
    const auto& table = decodeTable();
    ReserveDecoded(length);
    unsigned char* out = m_decoded.data();
    unsigned char group[4];
    size_t filled = 0;
    auto flush = [&](size_t count) {
        unsigned bits = 0;
        for (size_t k = 0; k < 4; ++k) {
            unsigned value = k < count ? table[group[k]] : 0;
            bits = (bits << 6) | (value == 255 ? 0 : value & 63);
        }
        unsigned char bytes[3] = {static_cast<unsigned char>(bits >> 16),
                                  static_cast<unsigned char>(bits >> 8),
                                  static_cast<unsigned char>(bits)};
        size_t produced = count == 4 ? 3 : count;
        std::memcpy(out + m_decodedLength, bytes, std::min<size_t>(produced, 3));
        m_decodedLength += std::min<size_t>(produced, 3);
    };
    for (size_t i = 0; i < length; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (IsSkippedChar(c)) {
            continue;
        }
        group[filled++] = c;
        if (filled == 4) {
            flush(4);
            filled = 0;
        }
    }
    if (filled > 0) {
        flush(filled);
    }
    out[m_decodedLength] = 0;
}

std::string CBase64::EncodeToString(const unsigned char* data, size_t length) {
    CBase64 coder;
    coder.Encode(data, length);
    return std::string(coder.GetEncoded(), coder.EncodedLength());
}
