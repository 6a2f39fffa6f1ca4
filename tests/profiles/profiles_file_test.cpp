#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <filesystem>

#include "base/settings.h"
#include "drawing/draw_text_data.h"
#include "profiles/profiles_file.h"
#include "support/test_files.h"
#include "weather/weather_data.h"

namespace {

class ProfilesFileTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        m_path = m_dir.filePath("data.xml").toStdString();
    }
    QTemporaryDir m_dir;
    std::string m_path;
};

TEST_F(ProfilesFileTest, TwoImagesSurviveASaveAndLoad) {
    const std::string awkward = "pa\"ss & <word>\n\xC3\xA4\xE2\x82\xAC";
    ProfileList list;
    list.push_back(std::make_unique<CProfile>("First \"one\"", nullptr));
    list.push_back(std::make_unique<CProfile>("Zweites Bild \xC3\xBC", nullptr));
    list[0]->SetPassword(awkward);
    list[0]->SetServerName("ftpes://ftp.example.org:2121");
    list[0]->SetFtpPassive(true);
    list[0]->SetDavPlainLogin(true);
    list[0]->SetInterval(15);
    list[0]->SetFirstStartDateTime(1796558400);
    list[0]->SetActive(true);
    list[0]->GetDrawing()->AddTextSimple()->SetText(awkward);
    list[1]->SetExportType(ExportType::Email);
    list[1]->SetConnectionType(ConnectionType::Dialup);
    list[1]->SetConnectionName("Provider");
    list[1]->SetText("Line one\nLine two");
    list[1]->SetSmtpPassword(awkward);
    list[1]->SetSmtpPlainLogin(true);
    list[1]->SetLastStartTime("08:15:00");
    list[1]->SetLastFinishTime("08:15:04");
    list[1]->GetDrawing()->SetImageFormat(4);
    SaveProfilesFile(m_path, list);

    std::string bytes = readFile(m_path);
    EXPECT_EQ(bytes.substr(0, 22), "<profiles>\r\n\t<profile ");
    EXPECT_NE(bytes.find("\r\n\t\t<drawing imageformat=\"3\""), std::string::npos);
    EXPECT_NE(bytes.find("\r\n\t\t\t<background "), std::string::npos);
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos);
    EXPECT_EQ(bytes.find("<?xml"), std::string::npos);
    // Only where it is set, so that other lists stay as they were.
    EXPECT_EQ(bytes.find("ftppassive"), bytes.rfind("ftppassive"));
    EXPECT_NE(bytes.find(" filename=\"\" ftppassive=\"true\" davplainlogin=\"true\" smtpserver"),
              std::string::npos);
    EXPECT_EQ(bytes.find("davplainlogin"), bytes.rfind("davplainlogin"));
    EXPECT_EQ(bytes.find("smtpplainlogin"), bytes.rfind("smtpplainlogin"));
    EXPECT_NE(bytes.find("\" smtpplainlogin=\"true\" sendername"), std::string::npos);
    EXPECT_NE(bytes.find("<profile name=\"First &quot;one&quot;\" intervall=\"15\" active=\"true\" "
                         "laststarttime=\"\" lastfinishtime=\"\" exporttype=\"0\" "
                         "firststartdatetime=\"1796558400\" connectiontype=\"0\""),
              std::string::npos);
    EXPECT_EQ(CSettings::Instance().GetOpenedFile(), m_path);

    ProfileList loaded = LoadProfilesFile(m_path, nullptr);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0]->GetName(), "First \"one\"");
    EXPECT_EQ(loaded[0]->GetPassword(), awkward);
    EXPECT_EQ(loaded[0]->GetServerName(), "ftpes://ftp.example.org:2121");
    EXPECT_TRUE(loaded[0]->GetFtpPassive());
    EXPECT_FALSE(loaded[1]->GetFtpPassive());
    EXPECT_TRUE(loaded[0]->GetDavPlainLogin());
    EXPECT_FALSE(loaded[1]->GetDavPlainLogin());
    EXPECT_EQ(loaded[0]->GetInterval(), 15);
    EXPECT_TRUE(loaded[0]->GetActive());
    EXPECT_EQ(loaded[0]->GetFirstStartDateTime(), 1796558400);
    auto* text = dynamic_cast<CDrawTextSimple*>(loaded[0]->GetDrawing()->Elements()[1].get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetText(), awkward);
    EXPECT_EQ(loaded[1]->GetName(), "Zweites Bild \xC3\xBC");
    EXPECT_EQ(loaded[1]->GetExportType(), ExportType::Email);
    EXPECT_EQ(loaded[1]->GetConnectionType(), ConnectionType::Dialup);
    EXPECT_EQ(loaded[1]->GetConnectionName(), "Provider");
    EXPECT_EQ(loaded[1]->GetText(), "Line one\nLine two");
    EXPECT_EQ(loaded[1]->GetSmtpPassword(), awkward);
    EXPECT_TRUE(loaded[1]->GetSmtpPlainLogin());
    EXPECT_FALSE(loaded[0]->GetSmtpPlainLogin());
    EXPECT_EQ(loaded[1]->GetLastStartTime(), "08:15:00");
    EXPECT_FALSE(loaded[1]->GetActive());
    EXPECT_EQ(loaded[1]->GetDrawing()->GetImageFormat(), 4);
    // Relative picture paths now resolve against the file's folder.
    EXPECT_EQ(std::filesystem::current_path(), m_dir.path().toStdString());

    // Empty times stay empty; everything else is written back as it was.
    EXPECT_EQ(loaded[0]->GetLastFinishTime(), "");
    loaded[0]->SetLastStartTime(" ");
    loaded[0]->SetLastFinishTime(" ");
    list[0]->SetLastStartTime(" ");
    list[0]->SetLastFinishTime(" ");
    SaveProfilesFile(m_path, list);
    bytes = readFile(m_path);
    SaveProfilesFile(m_path, loaded);
    EXPECT_EQ(readFile(m_path), bytes);
}

TEST_F(ProfilesFileTest, ReadingRulesAndOtherWritersFiles) {
    // Windows-1252 text, no declaration, profiles nested under other elements.
    writeFile(m_path,
              "<export><profiles><profile/>"
              "<group><profile name=\"Gr\xFC\xDF"
              "e\" intervall=\"abc\" active=\"Yes\" "
              "password=\"\xE9t\xE9\"><drawing width=\"300\"/></profile></group>"
              "<profile active=\"on\" intervall=\"15\"/><profile active=\"1\"/>"
              "</profiles></export>");
    ProfileList list = LoadProfilesFile(m_path, nullptr);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0]->GetName(), "Image");
    EXPECT_EQ(list[0]->GetInterval(), 1);
    EXPECT_FALSE(list[0]->GetActive());
    EXPECT_EQ(list[0]->GetExportType(), ExportType::Ftp);
    EXPECT_EQ(list[0]->GetStatusText(), "Deactivated");
    EXPECT_EQ(list[0]->GetLastStartTime(), "");
    EXPECT_EQ(list[0]->GetLastFinishTime(), "");
    EXPECT_NEAR(static_cast<double>(list[0]->GetFirstStartDateTime()),
                static_cast<double>(Clock::NowSeconds()), 5);
    EXPECT_EQ(list[1]->GetName(),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(list[1]->GetPassword(), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(list[1]->GetInterval(), 0);
    EXPECT_TRUE(list[1]->GetActive());
    EXPECT_EQ(list[1]->GetDrawing()->GetWidth(), 300);
    EXPECT_FALSE(list[2]->GetActive());
    EXPECT_EQ(list[2]->GetInterval(), 15);
    EXPECT_TRUE(list[3]->GetActive());
    for (auto& profile : list) {
        profile->SetActive(false);
    }

    writeFile(m_path, "<profiles><profile name=\"broken\"");
    try {
        LoadProfilesFile(m_path, nullptr);
        FAIL() << "a broken file loaded";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "The file could not be loaded (" + m_path + ")");
    }
    EXPECT_THROW(LoadProfilesFile(m_dir.filePath("none.xml").toStdString(), nullptr),
                 std::runtime_error);
    EXPECT_THROW(LoadProfilesFile(m_dir.path().toStdString(), nullptr), std::runtime_error);
    EXPECT_TRUE(LoadProfilesFile((writeFile(m_path, "<profiles/>"), m_path), nullptr).empty());
}

TEST_F(ProfilesFileTest, AFailedSaveLeavesTheOldFileIntact) {
    ProfileList list;
    list.push_back(std::make_unique<CProfile>("Kept", nullptr));
    std::string folder = m_dir.filePath("locked").toStdString();
    std::filesystem::create_directory(folder);
    std::string path = folder + "/data.xml";
    SaveProfilesFile(path, list);
    std::string before = readFile(path);
    list.push_back(std::make_unique<CProfile>("Lost", nullptr));

    chmod(folder.c_str(), 0555);
    bool writable = access(folder.c_str(), W_OK) == 0;  // root writes anyway
    if (!writable) {
        try {
            SaveProfilesFile(path, list);
            FAIL() << "saved into a read-only folder";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()),
                      "The file could not be saved, please save the file under a different "
                      "name. (" +
                          path + ")");
        }
        EXPECT_EQ(readFile(path), before);
    }
    chmod(folder.c_str(), 0755);

    // A path that is a folder cannot be replaced: the error, and nothing left behind.
    std::string blocked = m_dir.filePath("blocked.xml").toStdString();
    std::filesystem::create_directories(blocked + "/inside");
    EXPECT_THROW(SaveProfilesFile(blocked, list), std::runtime_error);
    EXPECT_TRUE(std::filesystem::exists(blocked + "/inside"));
    size_t leftovers = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.path().toStdString())) {
        leftovers += entry.path().filename().string().find(".saving-") != std::string::npos;
    }
    EXPECT_EQ(leftovers, 0u);
}

TEST_F(ProfilesFileTest, AListOfTheWindowsProgramSavesByteForByte) {
    // Windows-1252, no declaration, tabs, CR LF, as the Windows program writes it.
    const std::string windows =
        "<profiles>\r\n"
        "\t<profile name=\"H\xF6henweg \xDF\" intervall=\"15\" active=\"false\" "
        "laststarttime=\"\" lastfinishtime=\"08:15:04\" exporttype=\"1\" "
        "firststartdatetime=\"1796558400\" connectiontype=\"0\" connectionname=\"\" "
        "servername=\"\" username=\"\" password=\"\x80uro\xB0\" filepath=\"\" filename=\"\" "
        "smtpserver=\"mail.example.org\" smtpusername=\"station\" smtppassword=\"gr\xFC\xDF\" "
        "sendername=\"Garten\" senderemail=\"a@example.org\" recipients=\"b@example.org\" "
        "subject=\"Wetter \xB0"
        "C\" text=\"Gr\xFC\xDF&#13;&#10;\x80\">\r\n"
        "\t\t<drawing imageformat=\"3\" width=\"200\" height=\"100\">\r\n"
        "\t\t\t<background left=\"0\" top=\"0\" bottom=\"100\" right=\"200\" "
        "bkcolor=\"16777215\" borderwidth=\"0\" bordercolor=\"0\" />\r\n"
        "\t\t\t<textsimple left=\"0\" top=\"0\" bottom=\"0\" right=\"0\" bkcolor=\"-16777216\" "
        "borderwidth=\"0\" bordercolor=\"0\" text=\"3,8 \xB0"
        "C \xF6\" textcolor=\"0\" "
        "fontname=\"Arial\" fontsize=\"12\" fontbold=\"false\" fontitalic=\"false\" "
        "fontunderline=\"false\" horizontalalignment=\"1\" verticalalignment=\"1\" "
        "padding=\"3\" />\r\n"
        "\t\t\t<imagesimple imagefile=\"\" left=\"10\" top=\"10\" bottom=\"60\" right=\"60\" "
        "bkcolor=\"-16777216\" borderwidth=\"0\" bordercolor=\"0\" />\r\n"
        "\t\t</drawing>\r\n"
        "\t</profile>\r\n"
        "</profiles>\r\n";
    writeFile(m_path, windows);
    ProfileList list = LoadProfilesFile(m_path, nullptr);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]->GetName(), "H\xC3\xB6henweg \xC3\x9F");
    EXPECT_EQ(list[0]->GetPassword(), "\xE2\x82\xACuro\xC2\xB0");
    EXPECT_EQ(list[0]->GetText(), "Gr\xC3\xBC\xC3\x9F\r\n\xE2\x82\xAC");
    // An image that never ran keeps no start time.
    EXPECT_EQ(list[0]->GetLastStartTime(), "");
    EXPECT_EQ(list[0]->GetLastFinishTime(), "08:15:04");
    SaveProfilesFile(m_path, list);
    EXPECT_EQ(readFile(m_path), windows);

    // Values in UTF-8 and in Windows-1252 side by side: each read as it is meant.
    writeFile(m_path,
              "<profiles><profile name=\"Temp\xC3\xA9rature.png\" subject=\"H\xF6henweg\"/>"
              "</profiles>");
    list = LoadProfilesFile(m_path, nullptr);
    EXPECT_EQ(list[0]->GetName(), "Temp\xC3\xA9rature.png");
    EXPECT_EQ(list[0]->GetSubject(), "H\xC3\xB6henweg");

    // A text outside Windows-1252: the file is UTF-8 and reads back.
    list[0]->SetName(
        "\xC5\x81\xC3\xB3"
        "d\xC5\xBA");
    SaveProfilesFile(m_path, list);
    EXPECT_NE(readFile(m_path).find("name=\"\xC5\x81\xC3\xB3"
                                    "d\xC5\xBA\""),
              std::string::npos);
    EXPECT_EQ(LoadProfilesFile(m_path, nullptr)[0]->GetSubject(), "H\xC3\xB6henweg");
}

TEST_F(ProfilesFileTest, SavesKeepPermissionsAndRefuseReadOnlyLists) {
    ProfileList list;
    list.push_back(std::make_unique<CProfile>("Secret", nullptr));
    SaveProfilesFile(m_path, list);
    struct stat info {};
    stat(m_path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0600u);  // it holds passwords

    chmod(m_path.c_str(), 0664);
    // A save killed half-way left this behind.
    writeFile(m_path + ".saving-AbC123", "half");
    SaveProfilesFile(m_path, list);
    stat(m_path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0664u);
    EXPECT_FALSE(std::filesystem::exists(m_path + ".saving-AbC123"));

    chmod(m_path.c_str(), 0444);
    std::string before = readFile(m_path);
    list[0]->SetName("Changed");
    try {
        SaveProfilesFile(m_path, list);
        FAIL() << "replaced a read-only list";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "The file could not be saved, please save the file under a different name. (" +
                      m_path + ")");
    }
    EXPECT_EQ(readFile(m_path), before);
}

TEST_F(ProfilesFileTest, AReadingTextShowsTheReadingOfNow) {
    std::string weather = m_dir.filePath("currdat.lst").toStdString();
    writeFile(weather, "[outdoor_temperature]\ndeg_c=3.8\n");
    CSettings::Instance().SetWeatherFilePath(weather);
    ASSERT_TRUE(CWeatherData::Instance().Reload());
    writeFile(m_path,
              "<profiles><profile><drawing width=\"200\" height=\"100\">"
              "<textdata text=\"stale\" datatype=\"3\" format=\"0\"/>"
              "</drawing></profile></profiles>");
    ProfileList list = LoadProfilesFile(m_path, nullptr);
    auto* text = dynamic_cast<CDrawTextData*>(list[0]->GetDrawing()->Elements().back().get());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetText(),
              "3.8 \xC2\xB0"
              "C");
}

}  // namespace
