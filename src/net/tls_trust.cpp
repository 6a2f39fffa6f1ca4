#include "net/tls_trust.h"

#include <openssl/x509.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <string_view>

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

void TrustCertificates(CURL* curl, const std::string& only) {
    if (!only.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, only.c_str());
        curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
        return;
    }
    if (std::string file = TrustedCertificateFile(); !file.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, file.c_str());
    }
    if (std::string folder = TrustedCertificateFolder(); !folder.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAPATH, folder.c_str());
    }
}

std::string CertificateFailure(CURL* curl, const char* errorText, const std::string& host) {
    // curl checks the host name itself once OpenSSL found the chain good.
    if (std::string_view(errorText).find("host name") != std::string_view::npos) {
        return X509_verify_cert_error_string(X509_V_ERR_HOSTNAME_MISMATCH) + std::string(" (") +
               host + ")";
    }
    long result = X509_V_OK;
    curl_easy_getinfo(curl, CURLINFO_SSL_VERIFYRESULT, &result);
    return X509_verify_cert_error_string(result);
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
