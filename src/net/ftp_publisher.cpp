#include "net/ftp_publisher.h"

#include <stdexcept>

#include "base/lang_string.h"
#include "base/server_address.h"
#include "base/string_ids.h"
#include "net/dav_upload.h"
#include "net/folder_publish.h"
#include "net/internet.h"
#include "net/sftp_upload.h"

namespace {

bool holdsLineBreak(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

}  // namespace

bool UploadByFtp(const FtpSettings& settings, const unsigned char* data, size_t size,
                 const StopCheck& stop, const FtpLimits& limits) {
    CInternetSession session("Skyvane");
    const std::pair<const std::string&, unsigned> required[] = {
        {settings.fileName, kTextFtpFileNameEmpty},
        {settings.password, kTextFtpPasswordEmpty},
        {settings.serverName, kTextFtpServerNameEmpty},
        {settings.userName, kTextFtpUserNameEmpty}};
    // A server field that is not understood says so before any field it makes optional.
    if (!settings.serverName.empty()) {
        ParseFtpServer(settings.serverName);
    }
    // A folder and a WebDAV server may need no login.
    bool loginOptional = LoginIsOptional(settings.serverName);
    for (const auto& [value, message] : required) {
        // Over SSH an empty password means a login by key.
        bool keyLogin = message == kTextFtpPasswordEmpty && NamesSftpServer(settings.serverName);
        bool optional =
            loginOptional && message != kTextFtpFileNameEmpty && message != kTextFtpServerNameEmpty;
        if (value.empty() && !keyLogin && !optional) {
            throw std::runtime_error(LangString(message));
        }
    }
    // They become FTP commands: a line break would smuggle in commands of its own.
    if (holdsLineBreak(settings.fileName) || holdsLineBreak(settings.filePath)) {
        throw std::runtime_error("The FTP file name or file path holds a line break");
    }
    ServerAddress address = ParseFtpServer(settings.serverName);
    std::string temporary = "tmp_" + settings.fileName;
    if (address.transport == Transport::Sftp) {
        UploadBySftp(address, settings, temporary, data, size, stop, limits);
        return true;
    }
    if (address.transport == Transport::Folder) {
        PublishToFolder(address.path, settings, temporary, data, size);
        return true;
    }
    if (address.transport == Transport::Dav || address.transport == Transport::DavTls) {
        UploadByDav(address, settings, temporary, data, size, stop, limits);
        return true;
    }
    std::unique_ptr<CFtpConnection> connection = session.GetFtpConnection(
        address, settings.userName, settings.password, settings.passive, limits, stop);
    if (!connection->IsOpen()) {
        throw std::runtime_error(LangString(kTextCouldNotConnect));
    }
    if (!settings.filePath.empty() && !connection->SetCurrentDirectory(settings.filePath)) {
        throw connection->LastError(CURLE_QUOTE_ERROR);
    }
    connection->Remove(temporary);
    std::unique_ptr<CInternetFile> file = connection->OpenFile(temporary);
    file->Write(data, size);
    file->Close();
    if (connection->FileExists(settings.fileName) && !connection->Remove(settings.fileName)) {
        throw connection->LastError(CURLE_QUOTE_ERROR);
    }
    if (!connection->Rename(temporary, settings.fileName)) {
        throw connection->LastError(CURLE_QUOTE_ERROR);
    }
    connection->Close();
    session.Close();
    return true;
}
