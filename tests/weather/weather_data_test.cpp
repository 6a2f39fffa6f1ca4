#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "base/clock.h"
#include "base/settings.h"
#include "support/test_files.h"
#include "weather/readings_age.h"
#include "weather/weather_data.h"

namespace {

using Type = WeatherDataType;
using Kind = WeatherStateKind;

const std::string kExample = std::string(SKYVANE_SOURCE_DIR) + "/examples/currdat.lst";

class WeatherDataTest : public testing::Test {
  protected:
    void SetUp() override {
        m_path = m_dir.path().toStdString() + "/currdat.lst";
        CSettings::Instance().SetWeatherFilePath(m_path);
        CSettings::Instance().SetLangID(1033);
    }
    void TearDown() override { Clock::UseSystem(); }
    // Writes the file and reloads the holder from it.
    bool reloadWith(const std::string& text) {
        writeFile(m_path, text);
        return CWeatherData::Instance().Reload();
    }
    std::string format(Type type, int format) {
        return CWeatherData::Instance().FormatValue(type, format);
    }

    QTemporaryDir m_dir;
    std::string m_path;
};

TEST_F(WeatherDataTest, AgeOfTheReadings) {
    CWeatherData& data = CWeatherData::Instance();
    ASSERT_TRUE(reloadWith("[time]\nlast_actualisation = \"3000000000\"\n"));
    Clock::SetFake(Clock::TimePoint(std::chrono::seconds(791097615)));
    EXPECT_FALSE(data.IsOutdated());
    Clock::Advance(std::chrono::seconds(1));
    EXPECT_TRUE(data.IsOutdated());

    ASSERT_TRUE(reloadWith("[time]\nlast_actualisation=9000000000\n"));
    EXPECT_FALSE(data.IsOutdated());  // from the future
    ASSERT_TRUE(reloadWith("[time]\nlast_actualisation=-99999999999999999999999\n"));
    EXPECT_TRUE(data.IsOutdated());
    ASSERT_TRUE(reloadWith("[time]\nlast_actualisation=\"\"\n"));
    EXPECT_TRUE(data.IsOutdated());
}

TEST(ReadingsAge, AnImagesLimitRefusesOlderReadingsAndSaysHowOld) {
    CSettings::Instance().SetLangID(1033);
    const std::string stamp = "4005556484";  // 06.12.2026 14:35:00 UTC
    const std::int64_t taken = 1796567700;
    struct Case {
        int maxMinutes;
        std::int64_t age;
        std::string stamp;
        std::string problem;
    };
    const std::string notPublished = "; the image was not published.";
    for (const Case& test : {
             Case{60, 60 * 60 + 59, stamp, ""},
             Case{60, 61 * 60, stamp, "The readings are 61 minutes old (from 06.12.2026 14:35)"},
             Case{60, 119 * 60 + 59, stamp, "The readings are 119 minutes old"},
             Case{60, 47 * 3600, stamp, "The readings are 47 hours old"},
             Case{60, 3 * 86400, stamp, "The readings are 3 days old"},
             Case{1, 120, stamp, "The readings are 2 minutes old"},
             Case{60, -86400, stamp, ""},  // from the future: the clocks differ
             Case{0, 400 * 86400, stamp, ""},
             Case{60, 0, "", "The readings carry no time"},
             Case{0, 0, "", ""},
         }) {
        std::string problem = tooOldProblem(test.stamp, taken + test.age, test.maxMinutes);
        EXPECT_EQ(problem.substr(0, test.problem.size()), test.problem) << test.age;
        EXPECT_EQ(problem.empty(), test.problem.empty()) << test.age;
        if (!problem.empty()) {
            EXPECT_TRUE(problem.ends_with(notPublished)) << problem;
        }
    }
    CSettings::Instance().SetLangID(1031);
    EXPECT_EQ(tooOldProblem(stamp, taken + 7200, 60),
              "Die Messwerte sind 2 Stunden alt (vom 06.12.2026 14:35); das Bild wurde nicht "
              "veröffentlicht.");
    CSettings::Instance().SetLangID(1033);
}

TEST_F(WeatherDataTest, StatesAndTheirTexts) {
    CWeatherData& data = CWeatherData::Instance();
    ASSERT_TRUE(reloadWith(
        "[Weather_Picture]\nNUMBER=3\n[weather_tendency]\nnumber=2\n[storm_alarm]\nnumber=2\n"));
    EXPECT_EQ(data.GetState(Kind::WeatherPicture), 3);
    EXPECT_EQ(stateTextId(Kind::WeatherPicture, 3), 0u);
    EXPECT_EQ(data.GetState(Kind::WeatherTendency), 2);
    EXPECT_EQ(stateTextId(Kind::WeatherTendency, 2), 318u);
    EXPECT_EQ(stateTextId(Kind::StormAlarm, data.GetState(Kind::StormAlarm)), 0u);

    ASSERT_TRUE(reloadWith("[weather_picture]\nnumber=\"2\"\n[storm_alarm]\nnumber= 1\n"));
    EXPECT_EQ(data.GetState(Kind::WeatherPicture), 0);  // the quote stops the number
    EXPECT_EQ(stateTextId(Kind::WeatherPicture, 0), 321u);
    EXPECT_EQ(stateTextId(Kind::StormAlarm, data.GetState(Kind::StormAlarm)), 178u);
    EXPECT_EQ(stateTextId(Kind::WeatherPicture, kMissingInt), 0u);
}

TEST_F(WeatherDataTest, ReadingsAsDisplayTexts) {
    ASSERT_TRUE(
        reloadWith("[time]\nlast_actualisation=3155673584\n"
                   "[pressure_relative]\nhpa=\"1013.2\"\ninhg =  29.92  \n"
                   "[wind_speed]\nbft=4\nkmh=OFL\n"
                   "[wind_direction]\ndeg=225\nname=NNE\n"
                   "[indoor_humidity]\npercent=45\n"
                   "[rain_1h]\ninch=0.04\n"
                   "[outdoor_temperature]\ndeg_c=12.3\n"));
    EXPECT_EQ(format(Type::Date, 0), "01.01.2000");
    EXPECT_EQ(format(Type::Date, 1), "01.01.00");
    EXPECT_EQ(format(Type::Date, 4), "2000-01-01");
    EXPECT_EQ(format(Type::Time, 0), "00:00");
    EXPECT_EQ(format(Type::Time, 1), "12:00 AM");
    EXPECT_EQ(format(Type::PressureRelative, 0), "1013.2 hpa");
    EXPECT_EQ(format(Type::PressureRelative, 1), "29.92 inhg");
    EXPECT_EQ(format(Type::WindSpeed, 3), "4 bft");
    EXPECT_EQ(format(Type::WindSpeed, 0), "OFL");
    EXPECT_EQ(format(Type::WindDirection, 0), "225 \xC2\xB0");
    EXPECT_EQ(format(Type::WindDirection, 1), "NNE ");
    EXPECT_EQ(format(Type::IndoorHumidity, 0), "45 %");
    EXPECT_EQ(format(Type::IndoorHumidity, 1), "45 %");
    EXPECT_EQ(format(Type::Rain1h, 1), "0.04 ''");
    EXPECT_EQ(format(Type::OutdoorTemperature, 0),
              "12.3 \xC2\xB0"
              "C");

    ASSERT_TRUE(reloadWith("[time]\nlast_actualisation=2208988000\n"));  // before 1970
    EXPECT_EQ(format(Type::Date, 0), "");
    ASSERT_TRUE(reloadWith("[time]\nlast_actualisation=99999999999999999999\n"));
    EXPECT_EQ(format(Type::Time, 0).size() < 128, true);
    ASSERT_TRUE(reloadWith("[time]\nlast_actualisation=4005556484\n"));  // 2026-12-06 14:35
    EXPECT_EQ(format(Type::Time, 1), "02:35 PM");
    EXPECT_EQ(format(Type::Date, 2), "12.06.26");
    EXPECT_EQ(format(Type::Date, 3), "12.06.2026");
}

TEST_F(WeatherDataTest, RequestsOutsideTheListsReadAsTheFirstEntry) {
    ASSERT_TRUE(reloadWith("[time]\nlast_actualisation=3155673584\n[wind_speed]\nkmh=14.4\n"));
    EXPECT_EQ(format(static_cast<Type>(99), 0), "01.01.2000");
    EXPECT_EQ(format(static_cast<Type>(-1), 7), "01.01.2000");
    EXPECT_EQ(format(Type::WindSpeed, 5), "14.4 Km/h");
    EXPECT_EQ(format(Type::WindSpeed, -3), "14.4 Km/h");

    DataTypeInfo info = CWeatherData::GetDataTypeInfo(Type::WindSpeed, 3);
    EXPECT_EQ(info.section, "wind_speed");
    EXPECT_EQ(info.typeName, "Wind Speed");
    EXPECT_EQ(info.typeCount, 15);
    EXPECT_EQ(info.key, "bft");
    EXPECT_EQ(info.formatName, "bft");
    EXPECT_EQ(info.formatCount, 5);
    EXPECT_EQ(CWeatherData::GetDataTypeInfo(Type::Date, 0).formatCount, 5);
    EXPECT_EQ(CWeatherData::GetDataTypeInfo(Type::Time, 1).formatName, "12 hour");
    EXPECT_EQ(CWeatherData::GetDataTypeInfo(Type::OutdoorHumidity, 0).formatCount, 1);
    EXPECT_EQ(CWeatherData::GetDataTypeInfo(Type::Windchill, 1).key, "deg_f");
    EXPECT_EQ(CWeatherData::GetDataTypeInfo(static_cast<Type>(15), 0).typeName, "Date");
}

TEST_F(WeatherDataTest, TheExampleFileHasEveryReading) {
    CSettings::Instance().SetWeatherFilePath(kExample);
    ASSERT_TRUE(CWeatherData::Instance().Reload());
    for (int type = 0; type < 15; ++type) {
        int formats = CWeatherData::GetDataTypeInfo(static_cast<Type>(type), 0).formatCount;
        for (int f = 0; f < formats; ++f) {
            std::string text = format(static_cast<Type>(type), f);
            EXPECT_FALSE(text.empty() || text.front() == ' ') << type << "/" << f;
        }
    }
    EXPECT_EQ(format(Type::IndoorTemperature, 0),
              "21.4 \xC2\xB0"
              "C");
    EXPECT_EQ(format(Type::OutdoorHumidity, 0), "OFL");
    EXPECT_EQ(CWeatherData::Instance().GetState(Kind::WeatherPicture), 2);
}

TEST_F(WeatherDataTest, BadFilesKeepTheEarlierReadings) {
    CWeatherData& data = CWeatherData::Instance();
    ASSERT_TRUE(reloadWith("[pressure_absolute]\nhpa=987.4\n"));
    // Garbage holds no reading: a failed reload that changes nothing.
    EXPECT_FALSE(reloadWith(std::string("\0\0\xFF\xFE garbage \x01\x02\n[", 16)));
    EXPECT_FALSE(reloadWith(""));
    EXPECT_TRUE(reloadWith("[pressure_absolute]\nhpa=" + std::string(100000, '9') + "\n"));
    std::filesystem::remove(m_path);
    EXPECT_FALSE(data.Reload());
    std::filesystem::create_directory(m_path);
    EXPECT_FALSE(data.Reload());
    EXPECT_EQ(format(Type::PressureAbsolute, 0), std::string(507, '9') + " hpa");
}

// A reader never sees a half-loaded file: while one thread replaces the file again and
// again, every reading shown belongs to one of the files written.
TEST_F(WeatherDataTest, ReloadsAndLookupsOnTwoThreads) {
    ASSERT_TRUE(reloadWith("[rain_24h]\nmm=0.5\n"));
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int round = 0; round < 300; ++round) {
            std::string next = m_path + ".new";
            writeFile(next, "[rain_24h]\nmm=" + std::to_string(round % 3) + ".5\n");
            std::filesystem::rename(next, m_path);
            if (round % 10 == 0) {
                std::filesystem::remove(m_path);
            }
        }
        done = true;
    });
    std::set<std::string> seen;
    while (!done) {
        CWeatherData::Instance().Reload();
        seen.insert(format(Type::Rain24h, 0));
    }
    writer.join();
    for (const std::string& text : seen) {
        EXPECT_TRUE(text == "0.5 mm" || text == "1.5 mm" || text == "2.5 mm") << text;
    }
}

// The first use with no file at all: empty holder, missing-value texts, outdated.
TEST(WeatherDataFirstUse, MissingFileLeavesEveryReadingMissing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("SKYVANE_DEBUG", "1", 1);
    EXPECT_EXIT(
        {
            CSettings::Instance().SetWeatherFilePath("/nonexistent/currdat.lst");
            CSettings::Instance().SetLangID(1036);
            CWeatherData& data = CWeatherData::Instance();
            bool ok = data.FormatValue(Type::Date, 0).empty() &&
                      data.FormatValue(Type::Time, 1).empty() &&
                      data.FormatValue(Type::Dewpoint, 0) ==
                          " \xC2\xB0"
                          "C" &&
                      data.FormatValue(Type::WindDirection, 1) == " " &&
                      data.GetState(Kind::StormAlarm) == kMissingInt && data.IsOutdated() &&
                      CWeatherData::GetDataTypeInfo(Type::WindDirection, 1).formatName == "Nom";
            // The lists keep the language of their first use.
            CSettings::Instance().SetLangID(1031);
            ok = ok && CWeatherData::GetDataTypeInfo(Type::Time, 0).typeName == "Heure";
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "Unable to open file");
    unsetenv("SKYVANE_DEBUG");
}

}  // namespace
