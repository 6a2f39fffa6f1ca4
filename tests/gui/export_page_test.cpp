#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>

#include "base/clock.h"
#include "base/settings.h"
#include "gui/exportpage/export_properties.h"
#include "gui/exportpage/export_subpages.h"
#include "gui/exportpage/export_texts.h"
#include "gui/mainwindow/skyvane_view.h"
#include "gui/widgets/captions.h"
#include "gui/widgets/file_dialog.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/qt_language.h"
#include "profiles/profile.h"
#include "support/test_files.h"
#include "ui_export_email_properties.h"
#include "ui_export_ftp_properties.h"
#include "ui_export_properties.h"

namespace {

TEST(ExportTexts, RecipientsBodyAndImport) {
    EXPECT_EQ(StoredRecipients("a@x.org, b@y.org"), "a@x.org; b@y.org");
    EXPECT_EQ(StoredBody("Good morning!\r\nSunny\nwarm"), "Good morning!<br>Sunny<br>warm");
    EXPECT_EQ(ShownBody("Good morning!<br>Sunny"), "Good morning!\r\nSunny");
    EXPECT_EQ(ImportedRecipients({"Alice,a@x.org\r\n", "Bob;b@y.org\n"}), "a@x.org;b@y.org");
    EXPECT_EQ(ImportedRecipients({"  :Carol,\"c@z.org\",x=  ", "no separator", ""}), "\"c@z.org\"");
    EXPECT_EQ(ImportedRecipients({"Dan,"}), "");
}

class ExportPageTest : public testing::Test {
  protected:
    void SetUp() override {
        CSettings::Instance().SetLangID(1033);
        CMessageBox::Shown().clear();
        // No NetworkManager here: no nmcli to be found.
        m_path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        m_page = std::make_unique<CExportProperties>();
        qputenv("PATH", m_path);
        m_page->show();
        m_profile.SetInterval(15);
        m_page->ShowImage(&m_profile, false);
    }
    Ui::CExportProperties& form() { return m_page->Form(); }

    QByteArray m_path;
    CProfile m_profile{"Export", nullptr};
    std::unique_ptr<CExportProperties> m_page;
};

TEST_F(ExportPageTest, EmailNeedsAnHourAndRecipientsAreStoredWithSemicolons) {
    EXPECT_FALSE(form().apply->isEnabled());
    // Each page as tall as it needs: the FTP fields leave no gap of the e-mail page's height.
    int ftpHeight = form().container->sizeHint().height();
    form().email->click();
    EXPECT_GT(form().container->sizeHint().height(), ftpHeight + 100);
    // At once and without a message.
    EXPECT_EQ(form().interval->text(), "60");
    EXPECT_TRUE(CMessageBox::Shown().empty());
    form().interval->setText("15");
    auto& mail = m_page->EmailPage()->Form();
    mail.recipients->setPlainText("a@x.org, b@y.org");
    mail.body->setPlainText("Good morning!\nSunny");
    EXPECT_TRUE(form().apply->isEnabled());
    form().apply->click();
    EXPECT_THAT(CMessageBox::Shown(),
                testing::ElementsAre(
                    "The export intervall for exporting by email must be at least 60 minutes"));
    EXPECT_EQ(m_profile.GetInterval(), 60);
    EXPECT_EQ(m_profile.GetExportType(), ExportType::Email);
    EXPECT_EQ(m_profile.GetRecipients(), "a@x.org; b@y.org");
    EXPECT_EQ(m_profile.GetText(), "Good morning!<br>Sunny");
    EXPECT_FALSE(form().apply->isEnabled());

    // FTP: letters and signs cannot be typed; a field left empty or 0 means one minute.
    form().ftp->click();
    for (const char* typed : {"-abc", "0"}) {
        form().interval->clear();
        QTest::keyClicks(form().interval, typed);
        form().apply->click();
        EXPECT_EQ(m_profile.GetInterval(), 1) << typed;
    }

    // An invalid address is marked before Apply, an empty list too.
    mail.recipients->setPlainText("a@x.org; nobody");
    EXPECT_THAT(mail.recipients->property("problem").toString().toStdString(),
                testing::HasSubstr("nobody"));
    mail.recipients->setPlainText("");
    EXPECT_EQ(mail.recipients->property("problem").toString(), "The recipient list is empty");

    QTemporaryDir dir;
    std::string book = dir.filePath("book.csv").toStdString();
    writeFile(book, "Alice,a@x.org\r\nBob;b@y.org\r\n");
    CFileDialog::AnswerNext(QString::fromStdString(book));
    mail.import->click();
    EXPECT_EQ(mail.recipients->toPlainText(), "a@x.org;b@y.org");
}

TEST_F(ExportPageTest, ThePickersHoldOneMomentAndDialUpNeedsNetworkManager) {
    QDateTime moment(QDate(2027, 3, 14), QTime(6, 30));
    form().firstDate->setDateTime(moment);
    EXPECT_EQ(form().firstTime->dateTime(), moment);
    QDateTime later(QDate(2027, 3, 14), QTime(18, 45));
    form().firstTime->setDateTime(later);
    EXPECT_EQ(form().firstDate->dateTime(), later);
    form().apply->click();
    EXPECT_EQ(m_profile.GetFirstStartDateTime(), later.toSecsSinceEpoch());

    EXPECT_FALSE(form().dialup->isEnabled());
    m_profile.SetConnectionType(ConnectionType::Dialup);
    m_profile.SetConnectionName("Provider");
    m_page->ShowImage(&m_profile, false);
    EXPECT_TRUE(form().direct->isChecked());
}

TEST_F(ExportPageTest, UnappliedEditsAreDroppedButTheImageStaysModified) {
    CProfile other("Other", nullptr);
    auto& ftp = m_page->FtpPage()->Form();
    ftp.server->setFocus();
    QTest::keyClicks(ftp.server, "ftp.example.org");
    EXPECT_TRUE(form().apply->isEnabled());
    m_page->ShowImage(&other, false);
    EXPECT_FALSE(form().apply->isEnabled());
    m_page->ShowImage(&m_profile, false);
    EXPECT_EQ(ftp.server->text(), "");       // dropped
    EXPECT_TRUE(form().apply->isEnabled());  // the image is still modified
    // Empty fields an upload would refuse are marked.
    EXPECT_EQ(ftp.server->property("problem").toString(), "The FTP servername is empty");
    // An active image's page is read-only.
    m_page->ShowImage(&m_profile, true);
    EXPECT_FALSE(form().apply->isEnabled());
    EXPECT_FALSE(ftp.server->isEnabled());
}

TEST(Tooltips, LinesOfAtMostSixtyCharactersAtBlanks) {
    struct Case {
        QString text;
        QString shown;
    };
    const QString word60(60, 'w');
    for (const Case& test :
         {Case{"Short help.", "Short help."},
          Case{"one two three four five six seven eight nine ten eleven twelve thirteen",
               "one two three four five six seven eight nine ten eleven<br>twelve thirteen"},
          Case{"a " + word60 + "x b", "a<br>" + word60 + "x<br>b"},
          Case{"first line\n<b>second</b> & more",
               "first line<br>&lt;b&gt;second&lt;/b&gt; &amp; more"}}) {
        EXPECT_EQ(WrappedTooltip(test.text), "<p style='white-space:pre'>" + test.shown + "</p>")
            << test.text.toStdString();
    }
}

TEST_F(ExportPageTest, ServerPrefixesAreCheckedAndPassiveModeIsKept) {
    auto& ftp = m_page->FtpPage()->Form();
    QString help = WrappedTooltip(HelpOf(ftp.server->property("textId").toUInt()));
    ftp.server->setFocus();
    QTest::keyClicks(ftp.server, "htps://ftp.example.org");
    EXPECT_THAT(ftp.server->property("problem").toString().toStdString(),
                testing::HasSubstr("is not understood"));
    EXPECT_TRUE(ftp.server->toolTip().contains("is not understood"));
    ftp.server->clear();
    QTest::keyClicks(ftp.server, "sftp://ftp.example.org:2222");
    EXPECT_EQ(ftp.server->property("problem").toString(), "");
    EXPECT_EQ(ftp.server->toolTip(), help);  // the help is back
    auto& mail = m_page->EmailPage()->Form();
    // The mail server's fields in a group of their own, as the FTP server's are.
    EXPECT_EQ(mail.smtpGroup->title(), "Outgoing Mail");
    EXPECT_TRUE(mail.smtpGroup->isAncestorOf(mail.smtpPassword));
    QTest::keyClicks(mail.smtp, "smtps://mail.example.org");
    EXPECT_EQ(mail.smtp->property("problem").toString(), "");
    mail.smtp->clear();
    QTest::keyClicks(mail.smtp, "ftp://mail.example.org");
    EXPECT_THAT(mail.smtp->property("problem").toString().toStdString(),
                testing::HasSubstr("smtps://"));

    // The per-image boxes: passive mode only, and a login without encryption.
    for (QCheckBox* box : {ftp.passive, mail.plainLogin}) {
        EXPECT_FALSE(box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        EXPECT_TRUE(box->isChecked());
    }
    form().apply->click();
    EXPECT_TRUE(m_profile.GetFtpPassive());
    EXPECT_TRUE(m_profile.GetSmtpPlainLogin());
    EXPECT_EQ(m_profile.GetServerName(), "sftp://ftp.example.org:2222");
    CProfile other("Other", nullptr);
    m_page->ShowImage(&other, false);
    EXPECT_FALSE(ftp.passive->isChecked());
    EXPECT_FALSE(mail.plainLogin->isChecked());
    m_page->ShowImage(&m_profile, false);
    EXPECT_TRUE(ftp.passive->isChecked());
    EXPECT_TRUE(mail.plainLogin->isChecked());
}

TEST_F(ExportPageTest, TheDataAgeLimitAndTheWebAddressGoIntoTheList) {
    auto& ftp = m_page->FtpPage()->Form();
    EXPECT_EQ(form().maxDataAge->text(), "0");  // an image without a limit
    form().maxDataAge->clear();
    QTest::keyClicks(form().maxDataAge, "-9x0");
    EXPECT_EQ(form().maxDataAge->text(), "90");
    QTest::keyClicks(ftp.webUrl, "www.example.org/wx.jpg");
    EXPECT_THAT(ftp.webUrl->property("problem").toString().toStdString(),
                testing::HasSubstr("does not start with http:// or https://"));
    ftp.webUrl->clear();
    QTest::keyClicks(ftp.webUrl, "HTTPS://www.example.org/wx.jpg");
    EXPECT_EQ(ftp.webUrl->property("problem").toString(), "");
    form().apply->click();

    pugi::xml_document list;
    pugi::xml_node node = list.append_child("profile");
    ASSERT_TRUE(m_profile.SaveToXml(node));
    CProfile loaded("Loaded", nullptr);
    loaded.LoadFromXml(node);
    m_page->ShowImage(&loaded, false);
    EXPECT_EQ(form().maxDataAge->text(), "90");
    EXPECT_EQ(ftp.webUrl->text(), "HTTPS://www.example.org/wx.jpg");
}

TEST_F(ExportPageTest, AFolderOrWebDavNeedsNoLoginAndOnlyPlainWebDavOffersThePlainLogin) {
    auto& ftp = m_page->FtpPage()->Form();
    struct Case {
        QString server;
        bool plainLoginBox;
    };
    for (const Case& c : {Case{"file:///var/www/html", false}, Case{"davs://nas/dav", false},
                          Case{"dav://nas.local/dav", true}}) {
        ftp.server->clear();
        QTest::keyClicks(ftp.server, c.server);
        EXPECT_EQ(ftp.server->property("problem").toString(), "") << c.server.toStdString();
        EXPECT_EQ(ftp.user->property("problem").toString(), "") << c.server.toStdString();
        EXPECT_EQ(ftp.password->property("problem").toString(), "") << c.server.toStdString();
        EXPECT_EQ(ftp.davPlainLogin->isEnabled(), c.plainLoginBox) << c.server.toStdString();
    }
    QTest::mouseClick(ftp.davPlainLogin, Qt::LeftButton, {},
                      QPoint(8, ftp.davPlainLogin->height() / 2));
    form().apply->click();
    EXPECT_TRUE(m_profile.GetDavPlainLogin());
}

TEST_F(ExportPageTest, TheNextExportFollowsTheClock) {
    Clock::SetFake(std::chrono::system_clock::from_time_t(1796558400));
    m_profile.SetFirstStartDateTime(1796558400 - 3600);  // passed: the next export is now
    m_page->ShowImage(&m_profile, false);
    QString shown = form().nextExport->text();
    Clock::Advance(std::chrono::minutes(5));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form().nextExport->text() != shown; }, 3000));
    EXPECT_EQ(
        form().nextExport->text(),
        QLocale().toString(QDateTime::fromSecsSinceEpoch(1796558400 + 300), QLocale::ShortFormat));
    Clock::UseSystem();
}

// Qt's own buttons and the dates of the page speak the program's language, not the system's.
TEST(ExportPageLanguage, QtTextsAndDatesFollowTheChosenLanguage) {
    struct Case {
        unsigned short langId;
        const char* cancel;
        QDate date;
        const char* shown;
    };
    for (const Case& test : {Case{1031, "Abbrechen", {2026, 12, 7}, "07.12.26"},
                             Case{1036, "Annuler", {2026, 12, 7}, "07/12/2026"},
                             Case{1033, "Cancel", {2026, 12, 7}, "12/7/26"}}) {
        UseLanguageForQt(test.langId);
        QMessageBox box(QMessageBox::Question, "Skyvane", "?", QMessageBox::Cancel);
        EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove('&'), test.cancel);
        CExportProperties page;
        auto* date = page.findChild<QDateEdit*>("firstDate");
        date->setDate(test.date);
        EXPECT_EQ(date->text(), test.shown) << test.langId;
    }
}

TEST(ExportPageTestButton, WithoutATestServerItSaysWhereToSetItUp) {
    CSettings::Instance().SetLangID(1033);
    CSettings::Instance().SetTestServerName("");
    CSkyvaneView view;
    view.Model().Append(std::make_unique<CProfile>("Test", &view));
    view.SelectRow(0);
    CMessageBox::Shown().clear();
    view.ExportPage()->Form().test->click();
    ASSERT_EQ(CMessageBox::Shown().size(), 1u);
    EXPECT_EQ(CMessageBox::Shown()[0].rfind("Set up the test server first", 0), 0u);
}

}  // namespace
