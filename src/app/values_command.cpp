#include "app/values_command.h"

#include <QTemporaryDir>
#include <cstdio>
#include <optional>

#include "app/command_options.h"
#include "app/scratch_settings.h"
#include "base/lang_string.h"
#include "base/settings.h"
#include "base/string_ids.h"
#include "weather/weather_data.h"

namespace {

void printReadings(const CWeatherData& data) {
    int typeCount = CWeatherData::GetDataTypeInfo(WeatherDataType::Date, 0).typeCount;
    for (int type = 0; type < typeCount; ++type) {
        auto dataType = static_cast<WeatherDataType>(type);
        int formatCount = CWeatherData::GetDataTypeInfo(dataType, 0).formatCount;
        for (int format = 0; format < formatCount; ++format) {
            DataTypeInfo info = CWeatherData::GetDataTypeInfo(dataType, format);
            std::printf("%s [%s]: %s\n", info.typeName.c_str(), info.formatName.c_str(),
                        data.FormatValue(dataType, format).c_str());
        }
    }
}

void printStates(const CWeatherData& data) {
    // Named like the text elements that show them.
    const std::pair<WeatherStateKind, unsigned> kinds[] = {{WeatherStateKind::WeatherPicture, 313},
                                                           {WeatherStateKind::WeatherTendency, 314},
                                                           {WeatherStateKind::StormAlarm, 315}};
    for (auto [kind, nameId] : kinds) {
        int state = data.GetState(kind);
        unsigned textId = stateTextId(kind, state);
        std::printf("%s: %d %s\n", CaptionText(LangString(nameId)).c_str(), state,
                    textId != 0 ? LangString(textId).c_str() : "-");
    }
}

}  // namespace

int runValuesCommand(const QStringList& arguments) {
    CommandOptions options;
    if (!parseOptions(arguments, {"--weather", "--lang"}, options)) {
        std::fprintf(stderr, "usage: skyvane values [--weather FILE] [--lang ID]\n");
        return 2;
    }
    std::optional<unsigned short> langId;
    if (auto lang = options.find("--lang"); lang != options.end()) {
        bool ok = false;
        unsigned value = QString::fromStdString(lang->second).toUInt(&ok);
        if (!ok || (value != 1031 && value != 1033 && value != 1036)) {
            std::fprintf(stderr, "skyvane values: --lang takes 1031, 1033 or 1036\n");
            return 2;
        }
        langId = static_cast<unsigned short>(value);
    }
    QTemporaryDir scratch;
    useScratchSettings(scratch);
    if (langId) {
        CSettings::Instance().SetLangID(*langId);
    }
    if (!useWeatherFile("values", options)) {
        return 1;
    }
    CWeatherData& data = CWeatherData::Instance();
    std::printf("%s\n", data.SourceDescription().c_str());
    printReadings(data);
    printStates(data);
    if (data.IsOutdated()) {
        std::printf("%s\n", LangString(kTextWeatherDataOutdated).c_str());
    }
    return 0;
}
