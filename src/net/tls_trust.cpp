#include "net/tls_trust.h"

#include <cctype>
#include <cstdlib>

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

bool MentionsTls(const std::string& reply) {
    std::string upper;
    for (char c : reply) {
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper.find("TLS") != std::string::npos || upper.find("SSL") != std::string::npos;
}
