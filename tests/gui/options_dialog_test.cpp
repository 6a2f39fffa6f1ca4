// The Options dialog filled in with mouse and keyboard, and the hand-over between two starts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "base/lang_string.h"
#include "base/settings.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/mainwindow/single_instance.h"
#include "gui/widgets/message_box.h"
#include "support/test_files.h"

namespace {

using testing::ElementsAre;
using testing::StartsWith;

class OptionsDialogTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings& settings = CSettings::Instance();
        settings.SetLangID(1033);
        settings.SetShowTooltipHelp(1);
        settings.SetDrawSelectionRectangle(1);
        settings.SetSnapElements(1);
        settings.SetSnapOffset(10);
        settings.SetStartAutomatically(0);
        writeFile(m_weather,
                  "[time]\nlast_actualisation=4005556484\n[weather_picture]\nnumber=2\n");
        settings.SetWeatherFilePath(m_weather);
        CMessageBox::Shown().clear();
    }
    void TearDown() override { CSettings::Instance().SetLangID(1033); }

    // A new dialog over the settings as they are now.
    void open() {
        m_dialog = std::make_unique<COptionsDlg>();
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
    }
    template <class Widget>
    Widget* find(const char* name) {
        return m_dialog->findChild<Widget*>(name);
    }
    // A click on a button, or into the box of a check box (its label may end before its width).
    void click(const char* name) {
        auto* button = find<QAbstractButton>(name);
        int middle = button->height() / 2;
        QTest::mouseClick(
            button, Qt::LeftButton, {},
            qobject_cast<QCheckBox*>(button) ? QPoint(middle, middle) : button->rect().center());
    }
    void type(const char* name, const std::string& text) {
        find<QLineEdit>(name)->clear();
        QTest::keyClicks(find<QLineEdit>(name), QString::fromStdString(text));
    }

    QTemporaryDir m_dir;
    std::string m_weather = m_dir.filePath("currdat.lst").toStdString();
    std::string m_missing = m_dir.filePath("missing.lst").toStdString();
    std::unique_ptr<COptionsDlg> m_dialog;
};

TEST_F(OptionsDialogTest, TheCloseBoxStoresTheSettingsAsOkDoes) {
    open();
    auto* offset = find<QLineEdit>("snapOffset");
    click("snapElements");
    EXPECT_FALSE(offset->isEnabled());
    click("snapElements");
    EXPECT_TRUE(offset->isEnabled());
    click("drawSelectionRectangle");
    type("snapOffset", "-2x5");  // no sign, no letters
    EXPECT_EQ(offset->text(), "25");
    // Offscreen there is no notification area: the tray setting cannot be switched.
    EXPECT_FALSE(find<QCheckBox>("showInSystemTray")->isEnabled());
    EXPECT_EQ(find<QLabel>("trayNote")->text().toStdString(),
              "This desktop has no notification area: Skyvane minimizes instead.");
    type("weatherFile", m_missing);
    m_dialog->close();
    EXPECT_THAT(CMessageBox::Shown(),
                ElementsAre("The Weather Data file could not be not found (" + m_missing + ")"));
    EXPECT_TRUE(m_dialog->isVisible());

    CMessageBox::Shown().clear();
    type("weatherFile", m_weather);
    m_dialog->close();
    EXPECT_TRUE(CMessageBox::Shown().empty());  // nothing here asks for a restart
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    CSettings& settings = CSettings::Instance();
    EXPECT_EQ(settings.GetDrawSelectionRectangle(), 0);
    EXPECT_EQ(settings.GetSnapElements(), 1);
    EXPECT_EQ(settings.GetSnapOffset(), 25);
    EXPECT_EQ(settings.GetWeatherFilePath(), m_weather);

    open();
    type("snapOffset", "40");
    click("cancel");
    EXPECT_EQ(settings.GetSnapOffset(), 25);
}

TEST_F(OptionsDialogTest, LanguageAndTooltipsTogetherAskForOneRestart) {
    open();
    auto* language = find<QComboBox>("language");
    EXPECT_EQ(language->currentText().toStdString(), "English");
    QTest::keyClick(language, Qt::Key_Down);
    click("showTooltipHelp");
    click("ok");
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(CSettings::Instance().GetLangID(), 1031);
    EXPECT_EQ(CSettings::Instance().GetShowTooltipHelp(), 0);
    // The dialog already switched the texts to the language just chosen.
    EXPECT_THAT(CMessageBox::Shown(), ElementsAre(LoadLangString(147, 1031)));
    EXPECT_EQ(LoadLangString(147, 1033), "Please restart Skyvane to let your settings take effect");
}

TEST_F(OptionsDialogTest, ARestartIsStillAskedForAfterAWrongWeatherFile) {
    open();
    click("showTooltipHelp");
    type("weatherFile", m_missing);
    click("ok");
    type("weatherFile", m_weather);
    click("ok");
    EXPECT_THAT(CMessageBox::Shown(),
                ElementsAre(StartsWith("The Weather Data file could not be not found"),
                            "Please restart Skyvane to let your settings take effect"));
}

TEST_F(OptionsDialogTest, StartingAutomaticallyWritesTheAutostartEntry) {
    std::string entry = CSettings::AutostartEntryPath();
    ASSERT_THAT(entry, StartsWith(std::string(getenv("SKYVANE_TEST_HOME")) + "/config/"));
    open();
    click("startAutomatically");
    m_dialog->close();
    EXPECT_EQ(CSettings::Instance().GetStartAutomatically(), 1);
    EXPECT_THAT(readFile(entry),
                testing::HasSubstr("\nExec=" + CSettings::GetProgramPath() + " -minimized\n"));
    open();
    EXPECT_TRUE(find<QCheckBox>("startAutomatically")->isChecked());
    click("startAutomatically");
    m_dialog->close();
    EXPECT_EQ(CSettings::Instance().GetStartAutomatically(), 0);
    EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST(SingleInstance, ASecondStartAsksTheFirstToComeToTheFront) {
    QString name = "skyvane-test-" + QString::number(QCoreApplication::applicationPid());
    auto first = std::make_unique<CSingleInstance>(name);
    ASSERT_TRUE(first->Claim());
    QSignalSpy asked(first.get(), &CSingleInstance::activationRequested);
    CSingleInstance second(name);
    EXPECT_FALSE(second.Claim());
    EXPECT_TRUE(second.HandOver());
    EXPECT_TRUE(asked.wait(5000));
    // Its socket sits beside the lock in the runtime folder; removed, it comes back.
    QString socket = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + "/" +
                     name + "-" + QString::number(getuid()) + ".socket";
    ASSERT_TRUE(QFileInfo::exists(socket));
    QFile::remove(socket);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(socket); },
                                3 * CSingleInstance::kSocketCheckMs));
    EXPECT_TRUE(second.HandOver());
    EXPECT_TRUE(asked.wait(5000));
    // Once the first has ended, nobody answers and the next start is the first.
    first.reset();
    EXPECT_FALSE(second.HandOver());
    EXPECT_TRUE(second.Claim());
}

}  // namespace

TEST_F(OptionsDialogTest, TheWeatherFileFieldSaysWhatTheFileIs) {
    std::string realtime = m_dir.filePath("realtime.txt").toStdString();
    std::string line =
        "07/12/26 16:03:45 3.8 87 1.8 14.4 18.0 225 0.0 4.2 1013.2 SW 3 km/h C hPa mm";
    const std::pair<std::string, std::string> cases[] = {
        {line + "\n", "realtime.txt (Cumulus format), readings of 07.12.2026 16:03:45"},
        {"07/12/26 16:03:45 3.8\n", "The weather data file " + realtime +
                                        " cannot be read: too few fields (3, at least 17 needed)."},
    };
    open();
    auto* note = find<QLabel>("weatherFileNote");
    EXPECT_EQ(note->text().toStdString(), "currdat.lst, readings of 06.12.2026 14:35:00");
    for (const auto& [text, said] : cases) {
        writeFile(realtime, text);
        type("weatherFile", realtime);
        EXPECT_EQ(note->text().toStdString(), said);
    }
    click("ok");
    EXPECT_THAT(CMessageBox::Shown(), ElementsAre(cases[1].second));
    EXPECT_TRUE(m_dialog->isVisible());
}
