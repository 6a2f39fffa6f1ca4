#include "gui/exportpage/export_texts.h"

#include <algorithm>

namespace {

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The second field of the line split at separator; false when there is none.
bool secondField(const std::string& line, char separator, std::string& field) {
    size_t first = line.find(separator);
    if (first == std::string::npos) {
        return false;
    }
    size_t second = line.find(separator, first + 1);
    field = line.substr(first + 1,
                        second == std::string::npos ? std::string::npos : second - first - 1);
    return true;
}

}  // namespace

std::string StoredRecipients(const std::string& typed) {
    std::string stored = typed;
    std::replace(stored.begin(), stored.end(), ',', ';');
    return stored;
}

std::string StoredBody(const std::string& typed) {
    std::string text = replaceAll(typed, "\r\n", "\n");
    std::replace(text.begin(), text.end(), '\r', '\n');
    return replaceAll(text, "\n", "<br>");
}

std::string ShownBody(const std::string& stored) {
    return replaceAll(stored, "<br>", "\r\n");
}

std::string ImportedRecipients(const std::vector<std::string>& lines) {
    const std::string trimmed = " \t\r\n=:";
    std::string result;
    for (std::string line : lines) {
        size_t start = line.find_first_not_of(trimmed);
        size_t end = line.find_last_not_of(trimmed);
        line = start == std::string::npos ? std::string() : line.substr(start, end - start + 1);
        std::string field;
        if (secondField(line, ',', field) || secondField(line, ';', field)) {
            result += field + ";";
        }
    }
    if (!result.empty() && result.back() == ';') {
        result.pop_back();
    }
    if (!result.empty() && result.back() == ',') {
        result.pop_back();
    }
    return result;
}
