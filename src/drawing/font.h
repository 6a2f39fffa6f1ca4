// Fonts of text elements, built once from their description.
#pragma once

#include <QFont>
#include <string>

// Text is laid out at this many logical pixels per inch, on screen and in exports alike.
constexpr int kLogicalPixelsPerInch = 96;

// The font of a face name (first 31 characters), a size in points, weight 700 or 400, italic
// and underline; its em height is 96 × size × 10 / 720 pixels.
QFont CreateFontFromDescription(const std::string& name, int pointSize, bool bold, bool italic,
                                bool underline);
