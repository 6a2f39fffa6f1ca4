#include "profiles/profiles_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/lang_string.h"
#include "base/settings.h"
#include "base/string_ids.h"
#include "base/text_encoding.h"

namespace {

std::runtime_error fileError(unsigned id, const std::string& path) {
    return std::runtime_error(LangString(id) + " (" + path + ")");
}

void collectProfiles(const pugi::xml_node& node, std::vector<pugi::xml_node>& found) {
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        if (std::string_view(child.name()) == "profile") {
            found.push_back(child);
        }
        collectProfiles(child, found);
    }
}

// Kept as the OpenedFile setting, which must not depend on the current directory.
std::string absoluteOf(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
}

std::string folderOf(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
}

// Writes all bytes; false on any failure.
bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written <= 0) {
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// The new file appears whole or not at all.
bool replaceAtomically(const std::string& path, const std::string& bytes) {
    std::string folder = folderOf(path);
    QDir().mkpath(QString::fromStdString(folder));
    std::string temporary = path + ".saving-XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    bool ok = writeAll(fd, bytes) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
    return true;
}

}  // namespace

std::string ProfilesFileToLoad() {
    std::string opened = CSettings::Instance().GetOpenedFile();
    if (!opened.empty() && access(opened.c_str(), R_OK) == 0 &&
        !std::filesystem::is_directory(opened)) {
        return opened;
    }
    return CSettings::GetProgramDirectory() + "SKV/data/data.xml";
}

ProfileList LoadProfilesFile(const std::string& givenPath, QObject* view) {
    std::string path = absoluteOf(givenPath);
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    if (!in || std::filesystem::is_directory(path) || !(bytes << in.rdbuf())) {
        throw fileError(kTextLoadError, path);
    }
    // Files of the Windows program come in Windows-1252 and without a declaration.
    std::string text = decodeFileText(bytes.str());
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8)) {
        throw fileError(kTextLoadError, path);
    }
    CSettings::Instance().SetOpenedFile(path);
    std::filesystem::current_path(folderOf(path));

    std::vector<pugi::xml_node> elements;
    collectProfiles(document, elements);
    ProfileList profiles;
    for (const pugi::xml_node& element : elements) {
        auto profile = std::make_unique<CProfile>("", view);
        profile->LoadFromXml(element);
        profiles.push_back(std::move(profile));
    }
    return profiles;
}

void SaveProfilesFile(const std::string& givenPath, const ProfileList& profiles) {
    std::string path = absoluteOf(givenPath);
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("profiles");
    for (const auto& profile : profiles) {
        pugi::xml_node node = root.append_child("profile");
        profile->SaveToXml(node);
    }
    std::ostringstream out;
    document.save(out, "\t", pugi::format_indent | pugi::format_no_declaration,
                  pugi::encoding_utf8);
    // Line ends as the Windows program wrote them; line feeds inside values are escaped.
    std::string lines;
    for (char c : out.str()) {
        if (c == '\n') {
            lines += '\r';
        }
        lines += c;
    }
    if (!replaceAtomically(path, lines)) {
        throw fileError(kTextSaveError, path);
    }
    CSettings::Instance().SetOpenedFile(path);
    std::filesystem::current_path(folderOf(path));
}
