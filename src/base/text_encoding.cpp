#include "base/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

// Code points of 0x80..0x9F; the rest of the upper half equals Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int length;
        char32_t c;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
        } else {
            return false;
        }
        if (end - p < length) {
            return false;
        }
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                return false;
            }
            c = (c << 6) | (p[i] & 0x3F);
        }
        bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
        if (overlong || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            return false;
        }
        p += length;
    }
    return true;
}

std::string windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x80) {
            out += ch;
        } else if (byte < 0xA0) {
            appendUtf8(out, kHighControls[byte - 0x80]);
        } else {
            appendUtf8(out, byte);
        }
    }
    return out;
}

std::string decodeText(std::string_view bytes) {
    return isValidUtf8(bytes) ? std::string(bytes) : windows1252ToUtf8(bytes);
}

bool utf8ToWindows1252(std::string_view utf8, std::string& out) {
    out.clear();
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        if (*p < 0x80) {
            out += static_cast<char>(*p++);
            continue;
        }
        // Characters of Windows-1252 take two or three bytes in UTF-8.
        char32_t c;
        if ((*p & 0xE0) == 0xC0 && end - p >= 2) {
            c = (static_cast<char32_t>(*p & 0x1F) << 6) | (p[1] & 0x3F);
            p += 2;
        } else if ((*p & 0xF0) == 0xE0 && end - p >= 3) {
            c = (static_cast<char32_t>(*p & 0x0F) << 12) |
                (static_cast<char32_t>(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
            p += 3;
        } else {
            return false;
        }
        if (c >= 0xA0 && c <= 0xFF) {
            out += static_cast<char>(c);
            continue;
        }
        const char16_t* found = std::find(std::begin(kHighControls), std::end(kHighControls), c);
        if (found == std::end(kHighControls)) {
            return false;
        }
        out += static_cast<char>(0x80 + (found - std::begin(kHighControls)));
    }
    return true;
}
