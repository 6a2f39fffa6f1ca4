#include "net/sftp_upload.h"

#include <curl/curl.h>
#include <openssl/evp.h>
#include <poll.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/lang_string.h"
#include "base/string_ids.h"
#include "diag/log.h"
#include "net/ssh_identities.h"
#include "net/transfer_watch.h"
#include "net/upload_source.h"

namespace {

// False for a file whose last line has no line end yet.
bool endsWithLineBreak(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file || file.tellg() <= 0) {
        return true;
    }
    file.seekg(-1, std::ios::end);
    return file.get() == '\n';
}

// The host key check: where the server is, and the keys that did not match.
struct KeyCheck {
    std::string host;
    std::uint16_t port;
    std::string knownFingerprint;
    std::string foundFingerprint;
};

std::string base64(const unsigned char* data, size_t size) {
    std::vector<unsigned char> text(4 * ((size + 2) / 3) + 1);
    EVP_EncodeBlock(text.data(), data, static_cast<int>(size));
    return reinterpret_cast<const char*>(text.data());
}

// Adds the key as ssh does: "[host]:port" unless the port is 22, the key's type as its blob
// names it. (libcurl would record the host without its port, so that every SSH server on that
// host would have to show the same key.)
void recordHostKey(const KeyCheck& server, const unsigned char* key, size_t size) {
    if (size < 4) {
        return;
    }
    size_t typeLength =
        (size_t{key[0]} << 24) | (size_t{key[1]} << 16) | (size_t{key[2]} << 8) | size_t{key[3]};
    if (typeLength > size - 4) {
        return;
    }
    std::string type(reinterpret_cast<const char*>(key) + 4, typeLength);
    std::string host =
        server.port == 22 ? server.host : "[" + server.host + "]:" + std::to_string(server.port);
    std::string path = KnownHostsFile();
    bool complete = endsWithLineBreak(path);
    std::ofstream file(path, std::ios::app | std::ios::binary);
    if (!complete) {
        file << '\n';
    }
    file << host << ' ' << type << ' ' << base64(key, size) << '\n';
    file.close();
    std::error_code ignored;
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, ignored);
    LogMessage(Info, "[UploadBySftp] Recorded the new host key %s of %s in %s.",
               HostKeyFingerprint(key, size).c_str(), host.c_str(), path.c_str());
}

std::string fingerprintOfBase64(const std::string& text) {
    std::vector<unsigned char> key(text.size());
    int length = EVP_DecodeBlock(key.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                 static_cast<int>(text.size()));
    if (length < 0) {
        return text;
    }
    // EVP_DecodeBlock counts the padding as zero bytes.
    for (size_t i = text.size(); i > 0 && text[i - 1] == '=' && length > 0; --i) {
        --length;
    }
    return HostKeyFingerprint(key.data(), static_cast<size_t>(length));
}

int onHostKey(CURL*, const curl_khkey* known, const curl_khkey* found, curl_khmatch match,
              void* check) {
    auto* keys = static_cast<KeyCheck*>(check);
    auto* foundKey = reinterpret_cast<const unsigned char*>(found->key);
    switch (match) {
        case CURLKHMATCH_OK:
            return CURLKHSTAT_FINE;
        case CURLKHMATCH_MISSING:
            // As ssh's accept-new: the first key seen is recorded and trusted from now on.
            recordHostKey(*keys, foundKey, found->len);
            return CURLKHSTAT_FINE;
        default:
            keys->foundFingerprint = HostKeyFingerprint(foundKey, found->len);
            keys->knownFingerprint =
                known == nullptr ? "?"
                : known->len == 0
                    ? fingerprintOfBase64(known->key)
                    : HostKeyFingerprint(reinterpret_cast<const unsigned char*>(known->key),
                                         known->len);
            return CURLKHSTAT_REJECT;
    }
}

// A path as an SFTP quote command takes it: in double quotes, with " and \ escaped.
std::string quoted(const std::string& path) {
    std::string text = "\"";
    for (char c : path) {
        if (c == '"' || c == '\\') {
            text += '\\';
        }
        text += c;
    }
    return text + "\"";
}

std::string escaped(CURL* curl, const std::string& text) {
    char* escapedText = curl_easy_escape(curl, text.c_str(), static_cast<int>(text.size()));
    std::string result = escapedText;
    curl_free(escapedText);
    return result;
}

// The folder as a URL path: "/~/" starts from the login folder, as the FTP folder does.
std::string urlFolder(CURL* curl, const std::string& folder) {
    std::string path = folder.starts_with('/') ? "" : "/~";
    size_t start = 0;
    while (start < folder.size()) {
        size_t end = std::min(folder.find('/', start), folder.size());
        if (end > start) {
            path += "/" + escaped(curl, folder.substr(start, end - start));
        }
        start = end + 1;
    }
    return path + "/";
}

std::string folderPrefix(const std::string& folder) {
    if (folder.empty()) {
        return "";
    }
    return folder.ends_with('/') ? folder : folder + "/";
}

// What an SSH connection waits for; libcurl tells each step in its verbose texts.
enum class SshStep { Connecting, KeyExchange, Login, Transfer };

struct SshProgress {
    CTransferWatch& watch;
    const FtpLimits& limits;
    SshStep step = SshStep::Connecting;

    void Enter(SshStep next) {
        step = next;
        watch.Wait(next == SshStep::Connecting ? limits.connectSeconds : limits.stallSeconds);
    }
};

int onSshText(CURL*, curl_infotype type, char* data, size_t size, void* progress) {
    auto* ssh = static_cast<SshProgress*>(progress);
    std::string_view text(data, size);
    if (type != CURLINFO_TEXT) {
        return 0;
    }
    if (ssh->step == SshStep::Connecting && text.starts_with("Connected to ")) {
        ssh->Enter(SshStep::KeyExchange);
    } else if (ssh->step == SshStep::KeyExchange && text.starts_with("SSH host check")) {
        ssh->Enter(SshStep::Login);
    } else if (ssh->step == SshStep::Login && text.starts_with("Authentication complete")) {
        ssh->Enter(SshStep::Transfer);
    }
    return 0;
}

// SSH replies pass libcurl by; the watch sees them on the connection itself.
int onSocket(void* watch, curl_socket_t socket, curlsocktype) {
    static_cast<CTransferWatch*>(watch)->WatchSocket(socket);
    return CURL_SOCKOPT_OK;
}

// The first line the server sends on a connection of its own, within seconds; "" when none.
std::string firstLine(const ServerAddress& address, int seconds) {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    std::string url = "http://" + UrlHost(address.host) + ":" + std::to_string(address.port);
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    // Only the TCP connection: no request, and no proxy in between.
    curl_easy_setopt(curl.get(), CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT, static_cast<long>(seconds));
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_perform(curl.get()) != CURLE_OK ||
        curl_easy_getinfo(curl.get(), CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK) {
        return "";
    }
    std::string line;
    pollfd ready{socket, POLLIN, 0};
    while (line.find('\n') == std::string::npos && line.size() < 200 &&
           poll(&ready, 1, seconds * 1000) == 1) {
        char buffer[200];
        size_t got = 0;
        if (curl_easy_recv(curl.get(), buffer, sizeof buffer, &got) != CURLE_OK || got == 0) {
            break;
        }
        line.append(buffer, got);
    }
    line = line.substr(0, line.find_first_of("\r\n"));
    return line;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : ", ") + part;
    }
    return text;
}

}  // namespace

std::string KnownHostsFile() {
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.ssh/known_hosts";
}

std::string HostKeyFingerprint(const unsigned char* key, size_t size) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestSize = 0;
    EVP_Digest(key, size, digest, &digestSize, EVP_sha256(), nullptr);
    std::string fingerprint = base64(digest, digestSize);
    while (fingerprint.ends_with('=')) {
        fingerprint.pop_back();
    }
    return "SHA256:" + fingerprint;
}

void UploadBySftp(const ServerAddress& address, const FtpSettings& settings,
                  const std::string& temporary, const unsigned char* data, size_t size,
                  const StopCheck& stop, const FtpLimits& limits) {
    std::string knownHosts = KnownHostsFile();
    std::string where = address.host + ":" + std::to_string(address.port);
    std::error_code ignored;
    std::filesystem::path sshFolder = std::filesystem::path(knownHosts).parent_path();
    if (std::filesystem::create_directories(sshFolder, ignored)) {
        std::filesystem::permissions(sshFolder, std::filesystem::perms::owner_all, ignored);
    }
    // Without a password, as ssh does: each way to log in by key gets a connection of its own.
    std::vector<SshIdentity> identities;
    if (settings.password.empty()) {
        identities = SshIdentities();
        if (identities.empty()) {
            throw CInternetException(CURLE_LOGIN_DENIED, LangString(kTextSshNoKey, {where}));
        }
    }

    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) {
        throw CInternetException(CURLE_OUT_OF_MEMORY, LangString(kTextCouldNotConnect));
    }
    std::string url = "sftp://" + UrlHost(address.host) + ":" + std::to_string(address.port) +
                      urlFolder(curl.get(), settings.filePath) + escaped(curl.get(), temporary);
    std::string folder = folderPrefix(settings.filePath);
    // After the upload, in the same session: the old image goes, the new one takes its name.
    curl_slist* commands =
        curl_slist_append(nullptr, ("*rm " + quoted(folder + settings.fileName)).c_str());
    commands = curl_slist_append(commands, ("rename " + quoted(folder + temporary) + " " +
                                            quoted(folder + settings.fileName))
                                               .c_str());
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> commandList(commands,
                                                                            &curl_slist_free_all);

    UploadSource upload{data, size};
    KeyCheck keys{address.host, address.port, "", ""};
    CTransferWatch watch(stop, limits.stallSeconds);
    SshProgress progress{watch, limits};
    char errorText[CURL_ERROR_SIZE] = {};
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_USERNAME, settings.userName.c_str());
    curl_easy_setopt(handle, CURLOPT_PASSWORD, settings.password.c_str());
    curl_easy_setopt(handle, CURLOPT_SSH_AUTH_TYPES,
                     static_cast<long>(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
    curl_easy_setopt(handle, CURLOPT_SSH_KNOWNHOSTS, knownHosts.c_str());
    curl_easy_setopt(handle, CURLOPT_SSH_KEYFUNCTION, &onHostKey);
    curl_easy_setopt(handle, CURLOPT_SSH_KEYDATA, &keys);
    curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(handle, CURLOPT_READFUNCTION, &UploadSource::Read);
    curl_easy_setopt(handle, CURLOPT_READDATA, &upload);
    curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    curl_easy_setopt(handle, CURLOPT_POSTQUOTE, commands);
    // The watch limits each step on its own; curl's connect time would cover the key exchange
    // and the login together.
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 0L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(handle, CURLOPT_DEBUGFUNCTION, &onSshText);
    curl_easy_setopt(handle, CURLOPT_DEBUGDATA, &progress);
    curl_easy_setopt(handle, CURLOPT_SOCKOPTFUNCTION, &onSocket);
    curl_easy_setopt(handle, CURLOPT_SOCKOPTDATA, &watch);
    watch.Attach(handle);

    std::vector<std::string> tried;
    CURLcode result = CURLE_OK;
    for (size_t attempt = 0; attempt < std::max<size_t>(identities.size(), 1); ++attempt) {
        if (!identities.empty()) {
            const SshIdentity& identity = identities[attempt];
            tried.push_back(identity.label);
            curl_easy_setopt(
                handle, CURLOPT_SSH_AUTH_TYPES,
                static_cast<long>(identity.agent ? CURLSSH_AUTH_AGENT : CURLSSH_AUTH_PUBLICKEY));
            curl_easy_setopt(handle, CURLOPT_SSH_PRIVATE_KEYFILE,
                             identity.agent ? nullptr : identity.keyFile.c_str());
            // Derived from the private key: a missing .pub file does not matter.
            curl_easy_setopt(handle, CURLOPT_SSH_PUBLIC_KEYFILE, "");
        }
        upload.done = 0;
        errorText[0] = '\0';
        watch.Restart();
        progress.Enter(SshStep::Connecting);
        result = curl_easy_perform(handle);
        if (result != CURLE_LOGIN_DENIED) {
            break;
        }
    }
    if (result == CURLE_OK) {
        return;
    }

    auto error = [result](const std::string& text) {
        return CInternetException(static_cast<int>(result), text);
    };
    if (watch.GetEnding() == CTransferWatch::Ending::Stopped) {
        throw error(LangString(kTextExportStopped));
    }
    if (!keys.foundFingerprint.empty()) {
        throw error(LangString(kTextHostKeyChanged,
                               {where, knownHosts, keys.knownFingerprint, keys.foundFingerprint}));
    }
    std::string limit = std::to_string(watch.LimitSeconds());
    bool stalled = watch.GetEnding() == CTransferWatch::Ending::Stalled;
    if (progress.step == SshStep::Connecting || result == CURLE_COULDNT_CONNECT ||
        result == CURLE_COULDNT_RESOLVE_HOST) {
        throw error(LangString(kTextCouldNotConnect) + " (" + where + ")");
    }
    if (progress.step == SshStep::KeyExchange) {
        if (watch.BytesReceived() == 0 && !stalled) {
            throw error(LangString(kTextClosedWithoutGreeting));
        }
        // The SSH library takes any first line as the server's greeting and waits on; one that
        // greets nobody (as a server that expects TLS from the start) may still answer its line.
        std::string line = watch.BytesReceived() == 0 ? "" : firstLine(address, 2);
        if (line.empty()) {
            throw error(LangString(kTextNoSshGreeting, {where, limit}));
        }
        if (!line.starts_with("SSH-")) {
            throw error(LangString(kTextNotAnSshServer, {where, line}));
        }
        if (stalled) {
            throw error(LangString(kTextSshKeyExchangeTooSlow, {where, limit}));
        }
        if (std::string_view(errorText).find("Unable to exchange encryption keys") !=
            std::string_view::npos) {
            throw error(LangString(kTextSshNoCommonHostKey, {where}));
        }
    }
    if (stalled) {
        throw error(progress.step == SshStep::Login
                        ? LangString(kTextSshLoginTooSlow, {where, limit})
                        : LangString(kTextTransferStalled, {limit}));
    }
    if (result == CURLE_LOGIN_DENIED && !identities.empty()) {
        throw error(LangString(kTextSshKeyRefused, {where, joined(tried)}));
    }
    throw error(LangString(kTextSshFailed,
                           {where, errorText[0] != '\0' ? errorText : curl_easy_strerror(result)}));
}
