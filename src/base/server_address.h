// What an image's server field says about how to connect: an optional prefix naming the
// protocol ("ftpes://", "sftp://", "smtps://", ...), the host and the port.
#pragma once

#include <cstdint>
#include <string>

enum class Transport {
    Plain,        // FTP, or SMTP that starts TLS when the server offers it
    ExplicitTls,  // FTP that asks for TLS (AUTH TLS) before logging in
    ImplicitTls,  // TLS from the first byte
    Sftp,         // file transfer over SSH
};

struct ServerAddress {
    Transport transport = Transport::Plain;
    std::string host;
    std::uint16_t port = 0;
};

// "host", "host:port", "[ipv6]:port" or one of those after "ftp://", "ftpes://", "ftps://" or
// "sftp://"; std::runtime_error for an empty host or another prefix.
ServerAddress ParseFtpServer(const std::string& field);
// True when the FTP server field names an SSH server (sftp://), where the password may stay
// empty for a login by key; false also for a field that is not understood.
bool NamesSftpServer(const std::string& field);
// "host", "host:port", or one of those after "smtp://" or "smtps://"; std::runtime_error for
// an empty host or another prefix.
ServerAddress ParseSmtpServer(const std::string& field);

// The host as a URL holds it: an IPv6 address in brackets.
std::string UrlHost(const std::string& host);
