#include "diag/exceptions.h"

#include <cerrno>
#include <cstring>

CWin32Exception::CWin32Exception() : CWin32Exception(errno) {}

CWin32Exception::CWin32Exception(int code) {
    m_code = code;
    FormatSystemMessage(code);
}

void CWin32Exception::FormatSystemMessage(int code) {
    char buffer[256];
    // The GNU strerror_r returns its text, which need not be in the buffer.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    m_message = text != nullptr ? text : "";
}
