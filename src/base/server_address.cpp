#include "base/server_address.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <vector>

#include "base/host_port.h"
#include "base/lang_string.h"
#include "base/string_ids.h"

namespace {

struct Prefix {
    const char* text;
    Transport transport;
    std::uint16_t port;
};

std::string lowered(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string trimmed(const std::string& text) {
    size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) {
        return "";
    }
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

// "%20" and the like as the characters they stand for; a "%" without two hex digits stays.
std::string decoded(const std::string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() &&
            std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            result += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            result += text[i];
        }
    }
    return result;
}

// Takes the path off "host[:port]/path" and returns it decoded, without a trailing "/".
std::string splitPath(std::string& rest) {
    size_t slash = rest.find('/');
    if (slash == std::string::npos) {
        return "";
    }
    std::string path = decoded(rest.substr(slash));
    rest.erase(slash);
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

ServerAddress parse(const std::string& field, const std::vector<Prefix>& prefixes,
                    unsigned unknownText) {
    std::string rest = trimmed(field);
    ServerAddress address{prefixes.front().transport, "", prefixes.front().port, ""};
    size_t scheme = rest.find("://");
    if (scheme != std::string::npos) {
        std::string name = lowered(rest.substr(0, scheme + 3));
        bool known = false;
        for (const Prefix& prefix : prefixes) {
            if (name == prefix.text) {
                address.transport = prefix.transport;
                address.port = prefix.port;
                known = true;
            }
        }
        if (!known) {
            throw std::runtime_error(LangString(unknownText, {field}));
        }
        rest.erase(0, scheme + 3);
    }
    if (address.transport == Transport::Folder) {
        // Only this computer's folders: "file:///folder" or "file://localhost/folder".
        if (lowered(rest).starts_with("localhost/")) {
            rest.erase(0, 9);
        }
        if (!rest.starts_with('/')) {
            throw std::runtime_error(LangString(unknownText, {field}));
        }
        // The root folder has no path left once its "/" is taken off.
        address.path = std::max(splitPath(rest), std::string(1, '/'));
        // A "%00" would cut the folder short.
        if (address.path.find('\0') != std::string::npos) {
            throw std::runtime_error(LangString(unknownText, {field}));
        }
        return address;
    }
    if (address.transport == Transport::Dav || address.transport == Transport::DavTls) {
        address.path = splitPath(rest);
        if (address.path.find('\0') != std::string::npos) {
            throw std::runtime_error(LangString(unknownText, {field}));
        }
    }
    // A copied address may end in "/".
    while (!rest.empty() && rest.back() == '/') {
        rest.pop_back();
    }
    if (rest.starts_with('[')) {
        size_t close = rest.find(']');
        if (close != std::string::npos) {
            std::string port = rest.substr(close + 1);
            address.host = rest.substr(1, close - 1);
            if (port.starts_with(':')) {
                std::string probe = address.host + port;
                address.port = SplitHostPort(probe, address.port);
            }
        }
    } else {
        address.port = SplitHostPort(rest, address.port);
        address.host = rest;
    }
    if (address.host.empty() || address.host.find_first_of(" /") != std::string::npos) {
        throw std::runtime_error(LangString(unknownText, {field}));
    }
    return address;
}

}  // namespace

bool LoginIsOptional(const std::string& field) {
    try {
        Transport transport = ParseFtpServer(field).transport;
        return transport == Transport::Folder || transport == Transport::Dav ||
               transport == Transport::DavTls;
    } catch (const std::runtime_error&) {
        return false;
    }
}

bool NamesSftpServer(const std::string& field) {
    try {
        return ParseFtpServer(field).transport == Transport::Sftp;
    } catch (const std::runtime_error&) {
        return false;
    }
}

ServerAddress ParseFtpServer(const std::string& field) {
    return parse(field,
                 {{"ftp://", Transport::Plain, 21},
                  {"ftpes://", Transport::ExplicitTls, 21},
                  {"ftps://", Transport::ImplicitTls, 990},
                  {"sftp://", Transport::Sftp, 22},
                  {"file://", Transport::Folder, 0},
                  {"dav://", Transport::Dav, 80},
                  {"davs://", Transport::DavTls, 443}},
                 kTextUnknownFtpPrefix);
}

ServerAddress ParseSmtpServer(const std::string& field) {
    return parse(field,
                 {{"smtp://", Transport::Plain, 25}, {"smtps://", Transport::ImplicitTls, 465}},
                 kTextUnknownSmtpPrefix);
}

std::string UrlHost(const std::string& host) {
    return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}
