// Attribute values of the profiles file: numbers as signed decimals, booleans as "true" or
// "false", texts unchanged; a missing or empty attribute reads as the given default.
#pragma once

#include <pugixml.hpp>
#include <string>

// Leading white space, a sign and decimal digits (at most 255 characters are looked at);
// no digits give 0, values past the 32-bit range are clamped to it.
int readInt(const pugi::xml_node& node, const char* name, int fallback);

// True when the value starts with 1, T, t, Y or y.
bool readBool(const pugi::xml_node& node, const char* name, bool fallback);

std::string readString(const pugi::xml_node& node, const char* name, const std::string& fallback);

// The name of a numbered attribute: prefix followed by the index ("text_0", "imagefile_2").
std::string numberedName(const char* prefix, size_t index);

void writeInt(pugi::xml_node& node, const char* name, long value);
void writeBool(pugi::xml_node& node, const char* name, bool value);
void writeString(pugi::xml_node& node, const char* name, const std::string& value);
