// The blank-separated fields of a one-line weather file, read as numbers with the field's
// number in the error when one is not.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

std::vector<std::string_view> splitFields(std::string_view line);

// The first line, without its line end.
std::string_view firstLine(std::string_view text);

// Local calendar time as seconds since 1970; missing when it is no real date and time.
std::optional<std::int64_t> localSeconds(int year, int month, int day, int hour, int minute,
                                         int second);

class SourceFields {
  public:
    // Fields are counted from first (1 for realtime.txt, 0 for clientraw.txt).
    SourceFields(std::vector<std::string_view> fields, int first)
        : m_fields(std::move(fields)), m_first(first) {}

    int Count() const { return static_cast<int>(m_fields.size()); }
    std::string_view Text(int number) const;

    // The field's number; missing when the file has no such field or marks it missing ("-",
    // "--", "N/A"). Anything else that is not a number sets the error.
    std::optional<double> Number(int number);

    const std::string& Error() const { return m_error; }
    void SetError(std::string error);

  private:
    std::vector<std::string_view> m_fields;
    int m_first;
    std::string m_error;
};
