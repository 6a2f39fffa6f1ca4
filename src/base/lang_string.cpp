#include "base/lang_string.h"

#include <QFile>
#include <charconv>
#include <map>
#include <mutex>
#include <unordered_map>

#include "base/settings.h"

namespace {

using StringTable = std::unordered_map<unsigned, std::string>;

std::string unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Lines "id<TAB>text"; '#' starts a comment line.
StringTable parseTable(const QByteArray& data) {
    StringTable table;
    std::string_view rest(data.constData(), static_cast<size_t>(data.size()));
    while (!rest.empty()) {
        auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        auto tab = line.find('\t');
        if (line.empty() || line.front() == '#' || tab == std::string_view::npos) {
            continue;
        }
        unsigned id = 0;
        auto [ptr, error] = std::from_chars(line.data(), line.data() + tab, id);
        if (error == std::errc() && ptr == line.data() + tab) {
            table[id] = unescape(line.substr(tab + 1));
        }
    }
    return table;
}

const StringTable& tableFor(unsigned short langId) {
    static std::mutex lock;
    static std::map<unsigned short, StringTable> tables;
    if (langId != 1031 && langId != 1036) {
        langId = 1033;
    }
    std::lock_guard<std::mutex> guard(lock);
    auto it = tables.find(langId);
    if (it == tables.end()) {
        QFile file(QString(":/strings/%1.txt").arg(langId));
        file.open(QIODevice::ReadOnly);
        it = tables.emplace(langId, parseTable(file.readAll())).first;
    }
    return it->second;
}

}  // namespace

std::string LoadLangString(unsigned id, unsigned short langId) {
    const StringTable& table = tableFor(langId);
    auto it = table.find(id);
    return it == table.end() ? std::string() : it->second;
}

std::string LangString(unsigned id) {
    return LoadLangString(id, CSettings::Instance().GetLangID());
}

std::string LangString(unsigned id, std::initializer_list<std::string> arguments) {
    std::string text = LangString(id);
    std::string out;
    // One pass, so a marker inside an argument stays as it is.
    for (size_t i = 0; i < text.size(); ++i) {
        size_t number = i + 1 < text.size() ? static_cast<size_t>(text[i + 1] - '1') : 9;
        if (text[i] == '%' && number < arguments.size()) {
            out += arguments.begin()[number];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string CaptionText(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::string HelpText(const std::string& text) {
    auto cut = text.find('\n');
    return cut == std::string::npos ? text : text.substr(cut + 1);
}
