#include "app/stop_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace {

// Written by the signal handler, read by the event loop.
int s_signalPipe[2] = {-1, -1};

void onSignal(int) {
    char byte = 1;
    [[maybe_unused]] ssize_t written = write(s_signalPipe[0], &byte, 1);
}

}  // namespace

CStopSignals::CStopSignals(std::function<void()> onStop) : m_onStop(std::move(onStop)) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_signalPipe) != 0) {
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(s_signalPipe[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        m_notifier->setEnabled(false);
        m_onStop();
    });
    std::signal(SIGINT, &onSignal);
    std::signal(SIGTERM, &onSignal);
}

CStopSignals::~CStopSignals() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}
