// The name of a new image: the base name, else the base with the first free counter.
#pragma once

#include <string>
#include <vector>

// base, or "base (1)", "base (2)", ...: the first that none of taken is, compared exactly.
std::string NextImageName(const std::string& base, const std::vector<std::string>& taken);
