#include "weather/data_file.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "base/text_encoding.h"
#include "diag/log.h"

namespace {

constexpr std::string_view kTrimSet = " \t\n\r=:";
constexpr size_t kMaxLineLength = 511;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && ((x | 0x20) != (y | 0x20) || (x | 0x20) < 'a' || (x | 0x20) > 'z')) {
            return false;
        }
    }
    return true;
}

enum class LineEnd { Feed, EndOfFile, TooLong };

// One line as a text-mode stream reads it into a 512-byte buffer: CR LF and LF end it, the
// line feed is consumed, and a NUL ends what the buffer holds as a string.
LineEnd readLine(FILE* file, std::string& line) {
    line.clear();
    LineEnd end;
    for (;;) {
        int c = getc_unlocked(file);
        if (c == EOF) {
            end = LineEnd::EndOfFile;
            break;
        }
        if (c == '\r') {
            int next = getc_unlocked(file);
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                ungetc(next, file);
            }
        }
        if (c == '\n') {
            end = LineEnd::Feed;
            break;
        }
        if (line.size() == kMaxLineLength) {
            end = LineEnd::TooLong;
            break;
        }
        line += static_cast<char>(c);
    }
    auto nul = line.find('\0');
    if (nul != std::string::npos) {
        line.resize(nul);
    }
    return end;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

std::int64_t parseDecimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return static_cast<std::int64_t>(negative ? 0 - value : value);
}

std::string stripBlanksAndQuotes(std::string_view text) {
    auto first = text.find_first_not_of(" \"");
    if (first == std::string_view::npos) {
        return "";
    }
    return std::string(text.substr(first, text.find_last_not_of(" \"") - first + 1));
}

CDataFile::CDataFile() {
    m_sections.emplace_back();
}

void CDataFile::Trim(std::string& text) {
    auto last = text.find_last_not_of(kTrimSet);
    if (last == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(last + 1);
    text.erase(0, text.find_first_not_of(kTrimSet));
}

std::string CDataFile::SplitKey(std::string& line) {
    std::string key;
    auto separator = line.find_first_of("=:");
    if (separator == std::string::npos) {
        key.swap(line);
    } else {
        key = line.substr(0, separator);
        line.erase(0, separator + 1);
    }
    Trim(key);
    return key;
}

bool CDataFile::Load(const std::string& path) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    struct stat info {};
    if (!file || fstat(fileno(file.get()), &info) != 0 || S_ISDIR(info.st_mode)) {
        LogMessage(Info, "[CDataFile::Load] Unable to open file. Does it exist?");
        return false;
    }

    unsigned savedFlags = m_flags;
    m_flags |= AutoCreateKeys | AutoCreateSections;
    std::string sectionName;
    std::string comment;
    std::string line;
    LineEnd end = LineEnd::Feed;
    for (bool first = true; end == LineEnd::Feed; first = false) {
        end = readLine(file.get(), line);
        // Editors on Windows may put a byte-order mark before the first line.
        if (first && line.starts_with(kByteOrderMark)) {
            line.erase(0, kByteOrderMark.size());
        }
        Trim(line);
        if (line.empty()) {
            continue;
        }
        // Files written on Windows come in its 8-bit code page.
        if (!isValidUtf8(line)) {
            line = windows1252ToUtf8(line);
        }
        if (line.front() == ';' || line.front() == '#') {
            comment += '\n';
            comment += line;
        } else if (line.front() == '[') {
            std::string name = line.substr(1);
            auto close = name.rfind(']');
            if (close != std::string::npos) {
                name.erase(close, 1);
            }
            CreateSection(name, comment);
            sectionName = FindSection(name)->name;
            comment.clear();
        } else {
            std::string key = SplitKey(line);
            if (!key.empty() && !line.empty()) {
                SetValue(key, line, comment, sectionName);
                comment.clear();
            }
        }
    }
    m_flags = savedFlags;
    if (std::ferror(file.get())) {
        LogMessage(Info, "[CDataFile::Load] Unable to read file.");
        return false;
    }
    return true;
}

DataFileSection* CDataFile::FindSection(const std::string& name) {
    for (DataFileSection& section : m_sections) {
        if (equalsIgnoringCase(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

const DataFileSection* CDataFile::FindSection(const std::string& name) const {
    return const_cast<CDataFile*>(this)->FindSection(name);
}

DataFileKey* CDataFile::FindKey(const std::string& key, const std::string& section) {
    DataFileSection* found = FindSection(section);
    if (found == nullptr) {
        return nullptr;
    }
    for (DataFileKey& candidate : found->keys) {
        if (equalsIgnoringCase(candidate.name, key)) {
            return &candidate;
        }
    }
    return nullptr;
}

const DataFileKey* CDataFile::FindKey(const std::string& key, const std::string& section) const {
    return const_cast<CDataFile*>(this)->FindKey(key, section);
}

std::string CDataFile::GetValue(const std::string& key, const std::string& section) const {
    const DataFileKey* found = FindKey(key, section);
    return found != nullptr ? found->value : std::string();
}

int CDataFile::GetInt(const std::string& key, const std::string& section) const {
    const DataFileKey* found = FindKey(key, section);
    if (found == nullptr || found->value.empty()) {
        return kMissingInt;
    }
    return static_cast<int>(static_cast<std::uint32_t>(parseDecimal(found->value)));
}

bool CDataFile::CreateSection(const std::string& name, const std::string& comment) {
    if (FindSection(name) != nullptr) {
        LogMessage(Info, "[CDataFile::CreateSection] Section <%s> allready exists. Aborting.",
                   name.c_str());
        return false;
    }
    m_sections.push_back(DataFileSection{name, comment, {}});
    return true;
}

bool CDataFile::SetValue(const std::string& key, const std::string& value,
                         const std::string& comment, const std::string& section) {
    DataFileKey* found = FindKey(key, section);
    DataFileSection* target = FindSection(section);
    if (target == nullptr) {
        if (!(m_flags & AutoCreateSections) || !CreateSection(section, "")) {
            return false;
        }
        target = FindSection(section);
    }
    if (found != nullptr) {
        found->value = value;
        found->comment = comment;
        return true;
    }
    if (value.empty() || !(m_flags & AutoCreateKeys)) {
        return false;
    }
    target->keys.push_back(DataFileKey{key, value, comment});
    return true;
}
