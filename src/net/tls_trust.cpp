#include "net/tls_trust.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>

#include "base/lang_string.h"
#include "base/string_ids.h"

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

std::string TrustedCertificateFile() {
    return variable("SSL_CERT_FILE");
}

std::string TrustedCertificateFolder() {
    return variable("SSL_CERT_DIR");
}

std::string UntrustedCertificateText(const std::string& reason) {
    return LangString(kTextCertificateNotTrusted, {reason});
}

bool AsksForTls(const std::string& reply) {
    // Upper case. vsftpd: "Non-anonymous sessions must use encryption."; pure-ftpd: "Sorry,
    // cleartext sessions are not accepted"; FileZilla Server: "This server does not allow plain
    // FTP"; proftpd and IIS name SSL or TLS.
    static const char* const phrases[] = {"TLS", "SSL", "ENCRYPT", "CLEARTEXT", "PLAIN FTP"};
    std::string upper;
    for (char c : reply) {
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return std::any_of(std::begin(phrases), std::end(phrases), [&upper](const char* phrase) {
        return upper.find(phrase) != std::string::npos;
    });
}
