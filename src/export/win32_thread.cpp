#include "export/win32_thread.h"

#include <stdexcept>
#include <system_error>

#include "diag/exceptions.h"

CWin32Thread::~CWin32Thread() {
    Join();
}

void CWin32Thread::Join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CWin32Thread::Start() {
    Join();
    m_stopRequested = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_running = true;
    }
    try {
        m_thread = std::thread([this] {
            Run();
            std::lock_guard<std::mutex> guard(m_lock);
            m_running = false;
            m_ended.notify_all();
        });
    } catch (const std::system_error& error) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_running = false;
        throw CWin32Exception(error.code().value());
    }
}

bool CWin32Thread::Wait(unsigned ms) {
    if (!m_thread.joinable()) {
        throw std::logic_error("CWin32Thread::Wait before Start");
    }
    std::unique_lock<std::mutex> lock(m_lock);
    return m_ended.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_running; });
}

bool CWin32Thread::RequestStop(unsigned ms) {
    m_stopRequested = true;
    if (!m_thread.joinable()) {
        return true;
    }
    bool ended = Wait(ms);
    if (ended) {
        Join();
        m_stopRequested = false;
    }
    return ended;
}
