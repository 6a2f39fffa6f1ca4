#include "app/values_command.h"

#include <QTemporaryDir>
#include <cstdio>
#include <optional>

#include "app/scratch_settings.h"
#include "base/lang_string.h"
#include "base/string_ids.h"
#include "base/settings.h"
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
    std::optional<std::string> weatherFile;
    std::optional<unsigned short> langId;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        bool hasValue = i + 1 < arguments.size();
        if (option == "--weather" && hasValue) {
            weatherFile = arguments[++i].toStdString();
        } else if (option == "--lang" && hasValue) {
            bool ok = false;
            unsigned value = arguments[++i].toUInt(&ok);
            if (!ok || (value != 1031 && value != 1033 && value != 1036)) {
                std::fprintf(stderr, "skyvane values: --lang takes 1031, 1033 or 1036\n");
                return 2;
            }
            langId = static_cast<unsigned short>(value);
        } else {
            std::fprintf(stderr, "usage: skyvane values [--weather FILE] [--lang ID]\n");
            return 2;
        }
    }
    QTemporaryDir scratch;
    useScratchSettings(scratch);
    CSettings& settings = CSettings::Instance();
    if (weatherFile) {
        settings.SetWeatherFilePath(*weatherFile);
    }
    if (langId) {
        settings.SetLangID(*langId);
    }

    CWeatherData& data = CWeatherData::Instance();
    printReadings(data);
    printStates(data);
    if (data.IsOutdated()) {
        std::printf("%s\n", LangString(kTextWeatherDataOutdated).c_str());
    }
    return 0;
}
