#include <gtest/gtest.h>

#include <QSettings>
#include <filesystem>

#include "base/registry_value.h"
#include "base/settings.h"
#include "support/test_files.h"

TEST(RegistryValue, TypedValuesSurviveTheStoreAndMissingOnesReadEmpty) {
    registry_int<int> signedValue("Software\\Quillonsoft\\Skyvane\\Test\\Signed");
    registry_int<unsigned short> shortValue("Software\\Quillonsoft\\Skyvane\\Test\\Short");
    registry_int<unsigned long> colour("Software\\Quillonsoft\\Skyvane\\CustomColors\\Color3");
    registry_string<std::string> text("Software\\Quillonsoft\\Skyvane\\Test\\Text");

    EXPECT_FALSE(signedValue.exists());
    EXPECT_EQ(signedValue.get(), 0);
    EXPECT_EQ(text.get(), "");

    signedValue.set(-5);
    shortValue.set(1036);
    colour.set(0xFF000000ul);
    text.set("C:\\Wetter\\currdat.lst \xC2\xB0");
    EXPECT_TRUE(signedValue.exists());
    EXPECT_EQ(signedValue.get(), -5);
    EXPECT_EQ(shortValue.get(), 1036);
    EXPECT_EQ(colour.get(), 0xFF000000ul);
    EXPECT_EQ(text.get(), "C:\\Wetter\\currdat.lst \xC2\xB0");
    EXPECT_EQ(colour.name(), "Color3");

    // The group below the program's key is a group of the store.
    EXPECT_EQ(QSettings("Quillonsoft", "Skyvane").value("CustomColors/Color3").toLongLong(),
              0xFF000000ll);

    // A 16-bit value stored in 4 bytes reads back as its low 16 bits.
    registry_int<int>("Software\\Quillonsoft\\Skyvane\\Test\\Short").set(0x10000 + 1031);
    EXPECT_EQ(shortValue.get(), 1031);

    // A value that is no number reads as 0.
    QSettings("Quillonsoft", "Skyvane").setValue("Test/Signed", "not a number");
    EXPECT_EQ(signedValue.get(), 0);

    text.remove();
    EXPECT_FALSE(text.exists());
    EXPECT_EQ(text.get(), "");
}

TEST(Settings, FirstStartWritesDefaultsThatAreThenKept) {
    CSettings& settings = CSettings::Instance();
    EXPECT_EQ(settings.GetWeatherFilePath(), CSettings::GetProgramDirectory() + "currdat.lst");
    EXPECT_EQ(settings.GetOpenedFile(), CSettings::GetProgramDirectory() + "SKV/data/data.xml");
    EXPECT_EQ(settings.GetLangID(), CSettings::DefaultLangID());
    EXPECT_EQ(settings.GetDrawSelectionRectangle(), 1);
    EXPECT_EQ(settings.GetWindowPosition(), (CPoint{0, 0}));
    EXPECT_EQ(settings.GetWindowMinimized(), 0);
    EXPECT_EQ(settings.GetShowInSystemTray(), 1);
    EXPECT_EQ(settings.GetShowTooltipHelp(), 1);
    EXPECT_EQ(settings.GetSnapOffset(), 10);
    EXPECT_EQ(settings.GetSnapElements(), 1);
    EXPECT_EQ(settings.GetCustomColor(15), 0u);
    EXPECT_EQ(QSettings("Quillonsoft", "Skyvane").childKeys().size(), 10);
    // Only the desktop program's first start registers it with the session.
    EXPECT_EQ(settings.GetStartAutomatically(), 0);
    EXPECT_FALSE(std::filesystem::exists(CSettings::AutostartEntryPath()));
    settings.RegisterFirstStart();
    EXPECT_EQ(settings.GetStartAutomatically(), 1);

    // The autostart entry starts the program hidden, from where it is.
    std::string entry = readFile(CSettings::AutostartEntryPath());
    EXPECT_NE(entry.find("\nExec=" + CSettings::GetProgramPath() + " -minimized\n"),
              std::string::npos);
    settings.SetStartAutomatically(0);
    EXPECT_FALSE(std::filesystem::exists(CSettings::AutostartEntryPath()));
    EXPECT_EQ(settings.GetStartAutomatically(), 0);
    settings.RegisterFirstStart();
    EXPECT_FALSE(std::filesystem::exists(CSettings::AutostartEntryPath()));
    settings.SetStartAutomatically(1);
    EXPECT_TRUE(std::filesystem::exists(CSettings::AutostartEntryPath()));

    settings.SetWindowPosition({-20, 300});
    EXPECT_EQ(settings.GetWindowPosition(), (CPoint{0, 300}));
    settings.SetCustomColor(3, 0x00FF8040);
    EXPECT_EQ(settings.GetCustomColor(3), 0x00FF8040u);

    settings.SetWeatherFilePath("/srv/station/currdat.lst");
    settings.SetLangID(1031);
    EXPECT_EQ(settings.GetWeatherFilePath(), "/srv/station/currdat.lst");
    EXPECT_EQ(settings.GetLangID(), 1031);
}

TEST(Settings, ProgramDirectoryHoldsTheExecutableWhenWritable) {
    std::string program = CSettings::GetProgramPath();
    std::string directory = CSettings::GetProgramDirectory();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(directory.back(), '/');
    // The build tree is writable, so data defaults live beside the test program.
    EXPECT_EQ(program.substr(0, directory.size()), directory);
    EXPECT_EQ(program.find('/', directory.size()), std::string::npos);
}
