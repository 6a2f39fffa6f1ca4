// Which certificates a TLS connection trusts, and how a failed check is told to the user.
#pragma once

#include <curl/curl.h>

#include <string>

// The certificate file and folder named by SSL_CERT_FILE and SSL_CERT_DIR, "" when unset. They
// stand in for the system store's file and folder; libcurl is handed them, OpenSSL's own
// default paths (the mail client) read them by themselves.
std::string TrustedCertificateFile();
std::string TrustedCertificateFolder();

// True when a server's refusal asks for encryption: it speaks of TLS or SSL, or refuses a plain
// session in the words of a common server, in any case.
bool AsksForTls(const std::string& reply);

// "The server's certificate is not trusted: <reason>. ..." with where to look.
std::string UntrustedCertificateText(const std::string& reason);

// Hands a libcurl handle the trusted certificate file and folder; its own checks of the chain
// and the host name stay on. With only, that file alone is trusted (a camera's own certificate).
void TrustCertificates(CURL* curl, const std::string& only = {});

// Why a libcurl handle's certificate check failed (CURLE_PEER_FAILED_VERIFICATION), in
// OpenSSL's words; curl's own host name check, named by its error text, as a host name mismatch.
std::string CertificateFailure(CURL* curl, const char* errorText, const std::string& host);
