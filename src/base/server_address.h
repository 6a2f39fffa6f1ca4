// What an image's server field says about how to connect: an optional prefix naming the
// protocol ("ftpes://", "sftp://", "dav://", "smtps://", ...), the host, the port and, for a
// folder or WebDAV, the path.
#pragma once

#include <cstdint>
#include <string>

enum class Transport {
    Plain,        // FTP, or SMTP that starts TLS when the server offers it
    ExplicitTls,  // FTP that asks for TLS (AUTH TLS) before logging in
    ImplicitTls,  // TLS from the first byte
    Sftp,         // file transfer over SSH
    Folder,       // a folder of this computer (file://)
    Dav,          // WebDAV over HTTP
    DavTls,       // WebDAV over HTTPS
};

struct ServerAddress {
    Transport transport = Transport::Plain;
    std::string host;
    std::uint16_t port = 0;
    // Folder: the absolute folder; Dav, DavTls: the path on the server, "" for its root. Decoded
    // from %XX, without a trailing "/".
    std::string path;
};

// "host", "host:port", "[ipv6]:port" or one of those after "ftp://", "ftpes://", "ftps://" or
// "sftp://"; "file:///folder" (or "file://localhost/folder"); "dav://host[:port][/path]" or
// "davs://..."; std::runtime_error for an empty host or another prefix.
ServerAddress ParseFtpServer(const std::string& field);
// True when the FTP server field names an SSH server (sftp://), where the password may stay
// empty for a login by key; false also for a field that is not understood.
bool NamesSftpServer(const std::string& field);
// True when the FTP server field names a folder or a WebDAV server, where user name and
// password may stay empty; false also for a field that is not understood.
bool LoginIsOptional(const std::string& field);
// "host", "host:port", or one of those after "smtp://" or "smtps://"; std::runtime_error for
// an empty host or another prefix.
ServerAddress ParseSmtpServer(const std::string& field);

// The host as a URL holds it: an IPv6 address in brackets.
std::string UrlHost(const std::string& host);
