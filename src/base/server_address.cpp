#include "base/server_address.h"

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

ServerAddress parse(const std::string& field, const std::vector<Prefix>& prefixes,
                    unsigned unknownText) {
    std::string rest = trimmed(field);
    ServerAddress address{prefixes.front().transport, "", prefixes.front().port};
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
                  {"sftp://", Transport::Sftp, 22}},
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
