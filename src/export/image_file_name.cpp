#include "export/image_file_name.h"

#include <algorithm>

#include "export/image_file.h"

namespace {

constexpr size_t kLongestBase = 200;

// The text cut to at most size bytes without splitting a UTF-8 character.
std::string cutAt(const std::string& text, size_t size) {
    if (text.size() <= size) {
        return text;
    }
    while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) {
        --size;
    }
    return text.substr(0, size);
}

}  // namespace

std::string ImageFileName(const std::string& imageName, int format, std::set<std::string>& taken) {
    std::string base = imageName;
    std::replace(base.begin(), base.end(), '/', '_');
    std::replace(base.begin(), base.end(), '\0', '_');
    base = cutAt(base, kLongestBase);
    if (base.empty() || base == "." || base == "..") {
        base = "Image";
    }
    std::string extension = format == kJpegFormat ? ".jpg" : ".png";
    std::string name = base + extension;
    for (int number = 2; taken.contains(name); ++number) {
        name = base + " (" + std::to_string(number) + ")" + extension;
    }
    taken.insert(name);
    return name;
}
