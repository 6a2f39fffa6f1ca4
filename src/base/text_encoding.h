// Text of files written elsewhere: UTF-8 where it is valid UTF-8, Windows-1252 otherwise,
// so that files from a Windows installation read correctly.
#pragma once

#include <string>
#include <string_view>

// What some editors put before the first line of a UTF-8 file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// The Windows-1252 bytes as UTF-8; the five unassigned bytes become the C1 controls.
std::string windows1252ToUtf8(std::string_view bytes);

// One text (a line, an attribute value) as UTF-8: kept when valid UTF-8, read as
// Windows-1252 otherwise.
std::string decodeText(std::string_view bytes);

// The UTF-8 text in Windows-1252; false, leaving out unspecified, when a character has no
// Windows-1252 byte. Valid UTF-8 is expected (see isValidUtf8).
bool utf8ToWindows1252(std::string_view utf8, std::string& out);
