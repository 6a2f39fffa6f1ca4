#include "drawing/widest_reading.h"

#include <QImage>
#include <QPainter>
#include <ctime>
#include <map>
#include <mutex>
#include <vector>

#include "base/clock.h"
#include "drawing/painter_canvas.h"
#include "weather/station_readings.h"
#include "weather/weather_data.h"

namespace {

// Readings at the edges of what stations measure, in the decimals the weather file carries.
// Indexed by data type, then format; date and time are built from the calendar instead.
const std::vector<std::vector<std::vector<const char*>>> kExtremes = {
    {},
    {},
    {{"-49.9", "59.9"}, {"-57.9", "139.9"}},
    {{"-49.9", "59.9"}, {"-57.9", "139.9"}},
    {{"100"}},
    {{"100"}},
    {{"1099.9"}, {"32.99"}},
    {{"1099.9"}, {"32.99"}},
    {{"359"}, {}},
    {{"299.9"}, {"99.9"}, {"199.9"}, {"12"}, {"199.9"}},
    {{"199.9"}, {"9.99"}},
    {{"999.9"}, {"39.99"}},
    {{"9999.9"}, {"399.99"}},
    {{"-49.9", "59.9"}, {"-57.9", "139.9"}},
    {{"-49.9", "59.9"}, {"-57.9", "139.9"}},
};

// Measures texts in one font on an image, as an export draws them.
class TextMeter {
  public:
    explicit TextMeter(const QFont& font) : m_image(1, 1, QImage::Format_RGB32) {
        m_painter.begin(&m_image);
        m_canvas.SelectFont(font);
    }

    int Width(const std::string& text) {
        return m_canvas.TextBounds(text, {0, 0, 100000, 1000}, {0, 1}).Width();
    }

    // The widest of the texts; the first of equally wide ones.
    std::string Widest(const std::vector<std::string>& texts) {
        std::string widest;
        int most = -1;
        for (const std::string& text : texts) {
            int width = Width(text);
            if (width > most) {
                most = width;
                widest = text;
            }
        }
        return widest;
    }

  private:
    QImage m_image;
    QPainter m_painter;
    CPainterCanvas m_canvas{m_painter, 1, 1};
};

// The weather file's stamp of a local calendar time.
std::string stampOf(int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return std::to_string(static_cast<std::int64_t>(std::mktime(&local)) + kStampOffset);
}

bool isDate(int year, int month, int day) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    std::mktime(&local);
    return local.tm_mday == day;
}

int currentYear() {
    std::tm local{};
    int millisecond = 0;
    return Clock::ToLocal(Clock::Now(), local, millisecond) ? local.tm_year + 1900 : 2026;
}

// Digits add up glyph by glyph, so the widest day, then the widest month for it, is the widest
// date; the same for hour and minute.
std::string widestCalendarText(TextMeter& meter, WeatherDataType type, int format, int year) {
    auto text = [&](int month, int day, int hour, int minute) {
        return CWeatherData::FormatReading(type, format, stampOf(year, month, day, hour, minute));
    };
    auto widestOf = [&](int from, int to, auto textOf) {
        std::vector<std::string> texts;
        std::vector<int> values;
        for (int value = from; value <= to; ++value) {
            std::string shown = textOf(value);
            if (!shown.empty()) {
                texts.push_back(shown);
                values.push_back(value);
            }
        }
        std::string widest = meter.Widest(texts);
        for (size_t i = 0; i < texts.size(); ++i) {
            if (texts[i] == widest) {
                return values[i];
            }
        }
        return from;
    };
    if (type == WeatherDataType::Date) {
        int day = widestOf(1, 31, [&](int d) { return text(1, d, 12, 0); });
        int month = widestOf(1, 12, [&](int m) {
            return isDate(year, m, day) ? text(m, day, 12, 0) : std::string();
        });
        return text(month, day, 12, 0);
    }
    int hour = widestOf(0, 23, [&](int h) { return text(1, 15, h, 0); });
    int minute = widestOf(0, 59, [&](int m) { return text(1, 15, hour, m); });
    return text(1, 15, hour, minute);
}

std::string measureWidest(const QFont& font, int dataType, int format, int year) {
    TextMeter meter(font);
    auto type = static_cast<WeatherDataType>(dataType);
    if (type == WeatherDataType::Date || type == WeatherDataType::Time) {
        return widestCalendarText(meter, type, format, year);
    }
    std::vector<std::string> texts{CWeatherData::FormatReading(type, format, "OFL")};
    if (dataType >= 0 && dataType < static_cast<int>(kExtremes.size())) {
        const auto& formats = kExtremes[static_cast<size_t>(dataType)];
        const auto& values =
            format >= 0 && format < static_cast<int>(formats.size()) ? formats[format] : formats[0];
        for (const char* value : values) {
            texts.push_back(CWeatherData::FormatReading(type, format, value));
        }
    }
    if (type == WeatherDataType::WindDirection && format == 1) {
        for (int point = 0; point < 16; ++point) {
            texts.push_back(CWeatherData::FormatReading(type, format, compassNameOf(point * 22.5)));
        }
    }
    return meter.Widest(texts);
}

}  // namespace

std::string WidestReading(const QFont& font, int dataType, int format) {
    // Measured once per font, type and format: the check draws each image many times.
    static std::mutex lock;
    static std::map<std::tuple<QString, int, int, int>, std::string> measured;
    int year = currentYear();
    auto key = std::make_tuple(font.key(), dataType, format, year);
    {
        std::lock_guard<std::mutex> guard(lock);
        if (auto it = measured.find(key); it != measured.end()) {
            return it->second;
        }
    }
    std::string widest = measureWidest(font, dataType, format, year);
    std::lock_guard<std::mutex> guard(lock);
    measured[key] = widest;
    return widest;
}
