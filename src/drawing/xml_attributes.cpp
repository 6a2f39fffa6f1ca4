#include "drawing/xml_attributes.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string_view>

namespace {

// The attribute's text; empty when it is missing.
std::string_view valueOf(const pugi::xml_node& node, const char* name) {
    return node.attribute(name).as_string();
}

}  // namespace

int readInt(const pugi::xml_node& node, const char* name, int fallback) {
    std::string_view text = valueOf(node, name).substr(0, 255);
    if (text.empty()) {
        return fallback;
    }
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i++] == '-';
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        // Stops growing once past the range; the clamp below does the rest.
        if (value <= static_cast<long long>(INT_MAX) + 1) {
            value = value * 10 + (text[i] - '0');
        }
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

bool readBool(const pugi::xml_node& node, const char* name, bool fallback) {
    std::string_view text = valueOf(node, name);
    if (text.empty()) {
        return fallback;
    }
    char first = text.front();
    return first == '1' || first == 'T' || first == 't' || first == 'Y' || first == 'y';
}

std::string readString(const pugi::xml_node& node, const char* name, const std::string& fallback) {
    std::string_view text = valueOf(node, name);
    return text.empty() ? fallback : std::string(text);
}

void writeInt(pugi::xml_node& node, const char* name, long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld", value);
    node.append_attribute(name) = text;
}

void writeBool(pugi::xml_node& node, const char* name, bool value) {
    node.append_attribute(name) = value ? "true" : "false";
}

void writeString(pugi::xml_node& node, const char* name, const std::string& value) {
    node.append_attribute(name) = value.c_str();
}

std::string numberedName(const char* prefix, size_t index) {
    return prefix + std::to_string(index);
}
