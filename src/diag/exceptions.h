// The program's own exceptions: CEx carries a code and a finished message text;
// CWin32Exception the system's text for a failed system call's error number.
#pragma once

#include <exception>
#include <string>

class CEx : public std::exception {
  public:
    CEx() = default;
    CEx(int code, std::string message) : m_code(code), m_message(std::move(message)) {}

    int GetCode() const { return m_code; }
    const std::string& GetMessage() const { return m_message; }
    const char* what() const noexcept override { return m_message.c_str(); }

  protected:
    int m_code = 0;
    std::string m_message;
};

class CWin32Exception : public CEx {
  public:
    // Takes the calling thread's errno now, with the system's text for it.
    CWin32Exception();
    // The given error number with the system's text for it.
    explicit CWin32Exception(int code);

  protected:
    // Sets the message to the system's text for code; empty when the system has none.
    virtual void FormatSystemMessage(int code);
};
