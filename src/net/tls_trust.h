// Which certificates a TLS connection trusts, and how a failed check is told to the user.
#pragma once

#include <string>

// The certificate file and folder named by SSL_CERT_FILE and SSL_CERT_DIR (the variables
// OpenSSL reads), "" when unset: then the system's trust store counts.
std::string TrustedCertificateFile();
std::string TrustedCertificateFolder();

// "The server's certificate is not trusted: <reason>. ..." with where to look.
std::string UntrustedCertificateText(const std::string& reason);
