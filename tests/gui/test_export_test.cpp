#include <gtest/gtest.h>

#include <filesystem>

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "base/settings.h"
#include "export/image_file.h"
#include "gui/exportpage/export_test_dialog.h"
#include "profiles/profile.h"
#include "support/ftp_server.h"
#include "support/test_certificates.h"
#include "support/test_files.h"
#include "support/web_server.h"
#include "weather/weather_data.h"

namespace {

// Stands in for the browser: remembers the address it was asked to open.
class Browser : public QObject {
    Q_OBJECT
  public slots:
    void open(const QUrl& url) { opened = url; }

  public:
    QUrl opened;
};

// The bytes at the address, fetched over HTTP.
QByteArray fetch(const QUrl& url) {
    QNetworkAccessManager network;
    QNetworkReply* reply = network.get(QNetworkRequest(url));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    QByteArray bytes = reply->readAll();
    reply->deleteLater();
    return bytes;
}

class TestExport : public testing::Test {
  protected:
    void SetUp() override {
        QDir().mkpath(QString::fromStdString(m_ftp.Root() + "/mainwebsite_html/test"));
        ASSERT_GT(m_web.Port(), 0);
        CSettings& settings = CSettings::Instance();
        settings.SetLangID(1033);
        settings.SetTestServerName("127.0.0.1:" + std::to_string(m_ftp.Port()));
        settings.SetTestUserName("station");
        settings.SetTestPassword("secret");
        settings.SetTestFolder("mainwebsite_html/test");
        settings.SetTestWebAddress(m_web.Url("mainwebsite_html/test/"));
        writeFile(m_weather,
                  "[time]\nlast_actualisation=4005556484\n[outdoor_temperature]\n"
                  "deg_c=3.8\n");
        settings.SetWeatherFilePath(m_weather);
        QDesktopServices::setUrlHandler("http", &m_browser, "open");
    }
    void TearDown() override {
        QDesktopServices::unsetUrlHandler("http");
        QDesktopServices::unsetUrlHandler("https");
    }

    LocalFtpServer m_ftp;
    // Publishes the FTP server's folder.
    LocalWebServer m_web{m_ftp.Root()};
    QTemporaryDir m_dir;
    std::string m_weather = m_dir.filePath("currdat.lst").toStdString();
    Browser m_browser;
};

TEST_F(TestExport, AnEmailImageIsUploadedByFtpAndShownInTheBrowser) {
    CProfile profile("Test", nullptr);
    profile.SetExportType(ExportType::Email);
    profile.GetDrawing()->SetImageFormat(kPngFormat);
    profile.GetDrawing()->AddTextData();
    CExportTestDlg dialog(&profile);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    std::string address = m_browser.opened.toString().toStdString();
    EXPECT_EQ(address.rfind(CSettings::Instance().GetTestWebAddress(), 0), 0u) << address;
    EXPECT_EQ(address.substr(address.size() - 4), ".png");
    CWeatherData::Instance().Reload();
    CImageBuffer rendered = RenderImage(*profile.GetDrawing());
    QByteArray expected(reinterpret_cast<const char*>(rendered.Data()),
                        static_cast<qsizetype>(rendered.Size()));
    EXPECT_TRUE(fetch(m_browser.opened) == expected);
    // Nothing of the image's own state changed.
    EXPECT_EQ(profile.GetLastStatus(), "");
    EXPECT_EQ(profile.GetLastStartTime(), "");
}

TEST_F(TestExport, AFailureShowsTheStepAndTheServersWordsUntilAbort) {
    struct Case {
        std::string password;
        std::string webFolder;
        std::string step;
        std::string error;  // how it starts
    };
    for (const Case& test : {Case{"wrong", "mainwebsite_html/test/", "Error. Copying image", "530"},
                             // The upload went well, but the web shows another folder.
                             Case{"secret", "elsewhere/", "Error. Checking the published image",
                                  m_web.Url("elsewhere/")}}) {
        CSettings::Instance().SetTestPassword(test.password);
        CSettings::Instance().SetTestWebAddress(m_web.Url(test.webFolder));
        CProfile profile("Test", nullptr);
        CExportTestDlg dialog(&profile);
        auto* abort = dialog.findChild<QPushButton*>("abort");
        auto* errorLabel = dialog.findChild<QLabel*>("error");
        std::string step;
        std::string error;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!errorLabel->text().isEmpty()) {
                step = dialog.findChild<QLabel*>("step")->text().toStdString();
                error = errorLabel->text().toStdString();
                dialog.reject();  // Escape: nothing happens
                dialog.close();   // the close box: nothing either
                abort->click();
            }
        });
        poll.start(50);
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_EQ(step, test.step);
        EXPECT_EQ(error.rfind(test.error, 0), 0u) << error;
        EXPECT_TRUE(m_browser.opened.isEmpty());
    }
}

// A long error in German is shown whole; a server that never answers can be left at once.
TEST_F(TestExport, TheErrorIsShownWholeAndAHangingRunCanBeAborted) {
    CSettings::Instance().SetLangID(1031);
    CSettings::Instance().SetTestServerName(
        "ftpes://ein-sehr-langer-rechnername-der-nirgends-aufgeloest-wird.example.invalid");
    CProfile profile("Test", nullptr);
    {
        CExportTestDlg dialog(&profile);
        auto* error = dialog.findChild<QLabel*>("error");
        QTimer::singleShot(100, [&] {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !error->text().isEmpty(); }, 20000));
            QCoreApplication::processEvents();
            EXPECT_GE(error->width(), error->minimumSizeHint().width());
            EXPECT_GE(error->height(), error->heightForWidth(error->width()));
            EXPECT_TRUE(dialog.rect().contains(error->geometry())) << error->text().toStdString();
            dialog.findChild<QPushButton*>("abort")->click();
        });
        dialog.exec();
    }

    LocalFtpServer silent(0, {"late=60"});
    CSettings::Instance().SetTestServerName("127.0.0.1:" + std::to_string(silent.Port()));
    CExportTestDlg dialog(&profile);
    auto* abort = dialog.findChild<QPushButton*>("abort");
    QElapsedTimer clock;
    QTimer::singleShot(1000, [&] {
        EXPECT_TRUE(abort->isVisible());
        clock.start();
        abort->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_LT(clock.elapsed(), 3000);
}

TEST_F(TestExport, ATestServerThatWantsTlsIsReachedByItsPrefix) {
    TestCertificates certificates;
    ASSERT_TRUE(certificates.Made());
    certificates.Trust();
    LocalFtpServer tls(
        0, {"cert=" + certificates.Certificate("server"), "key=" + certificates.Key("server")});
    QDir().mkpath(QString::fromStdString(tls.Root() + "/mainwebsite_html/test"));
    CSettings::Instance().SetTestServerName("ftpes://127.0.0.1:" + std::to_string(tls.Port()));
    // The check after the upload goes over HTTPS, trusting the same authority.
    LocalWebServer web(tls.Root(), {"cert=" + certificates.Certificate("server"),
                                    "key=" + certificates.Key("server")});
    CSettings::Instance().SetTestWebAddress(web.Url("mainwebsite_html/test/"));
    QDesktopServices::setUrlHandler("https", &m_browser, "open");
    CProfile profile("Test", nullptr);
    CExportTestDlg dialog(&profile);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    std::string name = m_browser.opened.fileName().toStdString();
    ASSERT_FALSE(name.empty());
    EXPECT_TRUE(std::filesystem::exists(tls.Root() + "/mainwebsite_html/test/" + name)) << name;
}

TEST_F(TestExport, ATestFolderBesideTheWebServerNeedsNoLogin) {
    // The web server publishes that folder itself: no FTP in between.
    CSettings::Instance().SetTestServerName("file://" + m_ftp.Root());
    CSettings::Instance().SetTestUserName("");
    CSettings::Instance().SetTestPassword("");
    CProfile profile("Test", nullptr);
    CExportTestDlg dialog(&profile);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    CWeatherData::Instance().Reload();
    CImageBuffer rendered = RenderImage(*profile.GetDrawing());
    EXPECT_TRUE(fetch(m_browser.opened) ==
                QByteArray(reinterpret_cast<const char*>(rendered.Data()),
                           static_cast<qsizetype>(rendered.Size())));
}

TEST_F(TestExport, ADialUpImageDialsForTheTestAndHangsUp) {
    std::string state = m_dir.filePath("nmcli.json").toStdString();
    writeFile(state, R"({"profiles": {"Provider": "ttyUSB0"}, "active": {}})");
    qputenv("FAKE_NMCLI_STATE", QByteArray::fromStdString(state));
    QByteArray path = qgetenv("PATH");
    qputenv("PATH", SKYVANE_SOURCE_DIR "/tests/servers/fake_nmcli:" + path);
    CProfile profile("Test", nullptr);
    profile.SetConnectionType(ConnectionType::Dialup);
    profile.SetConnectionName("Provider");
    CExportTestDlg dialog(&profile);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    qputenv("PATH", path);
    std::string log = readFile(state);
    EXPECT_NE(log.find("connection up Provider"), std::string::npos) << log;
    EXPECT_NE(log.find("connection down Provider"), std::string::npos) << log;
}

}  // namespace

#include "test_export_test.moc"
