#include "profiles/profiles_file.h"

#include <unistd.h>

#include <QFileInfo>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/file_replace.h"
#include "base/lang_string.h"
#include "base/settings.h"
#include "base/string_ids.h"
#include "base/text_encoding.h"

namespace {

std::runtime_error fileError(unsigned id, const std::string& path) {
    return std::runtime_error(LangString(id) + " (" + path + ")");
}

// Files of the Windows program come in Windows-1252 without a declaration, and a file edited
// elsewhere may mix in UTF-8: every value is decoded on its own.
void decodeValues(pugi::xml_node node) {
    for (pugi::xml_attribute attribute : node.attributes()) {
        if (!isValidUtf8(attribute.value())) {
            attribute.set_value(windows1252ToUtf8(attribute.value()).c_str());
        }
    }
    if (node.type() == pugi::node_pcdata && !isValidUtf8(node.value())) {
        node.set_value(windows1252ToUtf8(node.value()).c_str());
    }
    for (pugi::xml_node child : node.children()) {
        decodeValues(child);
    }
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
    std::string text = bytes.str();
    if (text.starts_with(kByteOrderMark)) {
        text.erase(0, kByteOrderMark.size());
    }
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8)) {
        throw fileError(kTextLoadError, path);
    }
    decodeValues(document);
    std::vector<pugi::xml_node> elements;
    collectProfiles(document, elements);
    // Some other XML file: taken as the list, the next save would replace it.
    if (elements.empty() && std::string_view(document.document_element().name()) != "profiles") {
        throw fileError(kTextLoadError, path);
    }
    CSettings::Instance().SetOpenedFile(path);
    std::filesystem::current_path(folderOf(path));

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
    // In the Windows program's code page whenever every text fits it, so that it reads the
    // file back unchanged; UTF-8 only for a text that does not.
    std::string windows1252;
    if (utf8ToWindows1252(lines, windows1252)) {
        lines.swap(windows1252);
    }
    if (!replaceFileAtomically(path, lines)) {
        throw fileError(kTextSaveError, path);
    }
    CSettings::Instance().SetOpenedFile(path);
    std::filesystem::current_path(folderOf(path));
}
