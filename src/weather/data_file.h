// An INI-style text file held in memory (sections, key=value lines, comments), answering
// lookups by section and key without regard to letter case. Loading merges into what is held.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

struct DataFileKey {
    std::string name;
    std::string value;
    std::string comment;
};

struct DataFileSection {
    std::string name;
    std::string comment;
    std::deque<DataFileKey> keys;
};

// What GetInt gives for a missing or empty value.
constexpr int kMissingInt = -2147483648;

// Decimal number as the C library reads it: leading white space, one optional sign, digits up
// to the first other character; no digits give 0. Wraps instead of checking the range.
std::int64_t parseDecimal(std::string_view text);

// The text without blanks and double quotes at either end.
std::string stripBlanksAndQuotes(std::string_view text);

class CDataFile {
  public:
    enum : unsigned { AutoCreateSections = 2, AutoCreateKeys = 4 };

    // Holds the unnamed section only; both auto-create flags set.
    CDataFile();

    // Reads the file and merges it in; false when it cannot be opened or read. A line of 512
    // characters or more ends the load after its first 511.
    bool Load(const std::string& path);

    // The key's value; "" when the section or key does not exist.
    std::string GetValue(const std::string& key, const std::string& section) const;

    // The value as a 32-bit decimal number; kMissingInt when missing or empty.
    int GetInt(const std::string& key, const std::string& section) const;

    // Creates or updates the key; false when it may not be created.
    bool SetValue(const std::string& key, const std::string& value, const std::string& comment,
                  const std::string& section);

    // Appends a section; false (with a log line) when one of that name exists.
    bool CreateSection(const std::string& name, const std::string& comment);

    // The first section or key of that name in any letter case; null when there is none.
    DataFileSection* FindSection(const std::string& name);
    const DataFileSection* FindSection(const std::string& name) const;
    DataFileKey* FindKey(const std::string& key, const std::string& section);
    const DataFileKey* FindKey(const std::string& key, const std::string& section) const;

    unsigned GetFlags() const { return m_flags; }
    void SetFlags(unsigned flags) { m_flags = flags; }

    const std::deque<DataFileSection>& Sections() const { return m_sections; }

  protected:
    // Removes blanks, tabs, line ends, '=' and ':' from both ends.
    static void Trim(std::string& text);

    // Takes the key (trimmed) off the front of the line, up to the first '=' or ':'.
    static std::string SplitKey(std::string& line);

  private:
    unsigned m_flags = AutoCreateSections | AutoCreateKeys;
    std::deque<DataFileSection> m_sections;
};
