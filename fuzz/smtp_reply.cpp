// The SMTP reply reader on arbitrary server bytes, fed through a socket pair.
#include <sys/socket.h>
#include <unistd.h>

#include "mail/smtp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) {
        return 0;
    }
    // The whole reply is there before it is read; then the peer goes away.
    size_t sent = 0;
    while (sent < size) {
        ssize_t written = write(pair[1], data + sent, size - sent);
        if (written <= 0) {
            break;
        }
        sent += static_cast<size_t>(written);
    }
    close(pair[1]);
    CSmtp smtp;
    smtp.timeoutSeconds = 1;
    smtp.AdoptSocket(pair[0]);
    smtp.SendCommand(nullptr);
    return 0;
}
