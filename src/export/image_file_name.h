// File names for exported images written side by side into one folder.
#pragma once

#include <set>
#include <string>

// The image's name as a file name with the format's extension (".jpg" or ".png"): "/" and NUL
// become "_", a name longer than 200 bytes is cut at a character boundary, an empty or dot
// name becomes "Image", and a name already in taken gets " (2)", " (3)", ... The result is
// added to taken.
std::string ImageFileName(const std::string& imageName, int format, std::set<std::string>& taken);
