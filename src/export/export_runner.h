// One export of one image on a thread of its own: reload the weather data, refuse readings too
// old for the image, render the image, publish it and check that the web shows it. Every
// failure becomes the runner's one error text.
#pragma once

#include <string>

#include "export/image_buffer.h"
#include "export/win32_thread.h"
#include "mail/email_publisher.h"
#include "net/dialup.h"
#include "net/ftp_publisher.h"

class CProfile;
class CDrawing;
enum class ExportType;
enum class ConnectionType;

class CExportRunner : public CWin32GUIThread {
  public:
    // Copies the profile's settings now, so edits during the export do not reach it.
    explicit CExportRunner(CProfile* profile);
    ~CExportRunner() override;

    // The failure text; empty after a successful export.
    std::string GetExportError() const { return m_errorText; }
    // The string id of the step under way, or of the step that failed.
    unsigned GetCurrentStep() const { return m_currentStep; }

  protected:
    void Run() override;

  protected:
    // What the test export replaces: where and how the image goes.
    ExportType m_exportType;
    FtpSettings m_ftp;
    // Where the uploaded image is fetched back from; "" for no check.
    std::string m_webUrl;

  private:
    // Names the step and tells the notification window.
    void BeginStep(unsigned stringId);
    // A clean-up step: told always, but the current step only when nothing failed.
    void CleanUpStep(unsigned stringId);
    void Publish(const CImageBuffer& image);
    // Fetches the uploaded image back from its web address, when the image has one.
    void CheckPublished(const CImageBuffer& image);
    // Ends the export with the stop text when a stop was asked for.
    void CheckStop() const;
    // Reloads the weather data; a file that is being rewritten gets one more read a second
    // later.
    bool ReloadWeatherData() const;

    CProfile* m_profile;
    CDrawing* m_drawing;
    ConnectionType m_connectionType;
    std::string m_connectionName;
    EmailSettings m_email;
    std::string m_errorText;
    unsigned m_currentStep = 0;
    CRasConnection m_dialup;
    int m_maxDataAge;
};
