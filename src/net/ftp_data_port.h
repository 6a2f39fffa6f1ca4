// The port a data connection goes to, as the PORT or EPRT command that offers it or the 227 or
// 229 reply that names it says, so that a failure can name the port a firewall blocks.
#pragma once

#include <string_view>

// The port of the line; 0 when the line is none of these or holds no port.
int DataPort(std::string_view line);
