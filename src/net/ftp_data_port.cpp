#include "net/ftp_data_port.h"

#include <charconv>
#include <vector>

namespace {

// The numbers of "h1,h2,h3,h4,p1,p2" from the first digit at or after start.
std::vector<int> numbersFrom(std::string_view text, size_t start) {
    std::vector<int> numbers;
    size_t at = text.find_first_of("0123456789", start);
    while (at < text.size()) {
        int value = 0;
        auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
        if (error != std::errc()) {
            break;
        }
        numbers.push_back(value);
        at = static_cast<size_t>(end - text.data());
        if (at >= text.size() || text[at] != ',') {
            break;
        }
        ++at;
    }
    return numbers;
}

// "|1|address|port|" from start, any delimiter: the number between the third and fourth.
int extendedPort(std::string_view text, size_t start) {
    if (start >= text.size()) {
        return 0;
    }
    char delimiter = text[start];
    size_t at = start;
    for (int i = 0; i < 2 && at != std::string_view::npos; ++i) {
        at = text.find(delimiter, at + 1);
    }
    size_t end = at == std::string_view::npos ? at : text.find(delimiter, at + 1);
    int port = 0;
    if (end == std::string_view::npos ||
        std::from_chars(text.data() + at + 1, text.data() + end, port).ptr != text.data() + end) {
        return 0;
    }
    return port;
}

}  // namespace

int DataPort(std::string_view line) {
    size_t open = line.find('(');
    if (line.starts_with("EPRT ")) {
        return extendedPort(line, 5);
    }
    if (line.starts_with("229")) {
        return open == std::string_view::npos ? 0 : extendedPort(line, open + 1);
    }
    if (line.starts_with("PORT ") || line.starts_with("227")) {
        std::vector<int> numbers = numbersFrom(line, open == std::string_view::npos ? 4 : open);
        return numbers.size() == 6 ? numbers[4] * 256 + numbers[5] : 0;
    }
    return 0;
}
