#include "export/export_runner.h"

#include <chrono>
#include <stdexcept>
#include <thread>

#include "base/app_message.h"
#include "base/lang_string.h"
#include "base/string_ids.h"
#include "export/image_file.h"
#include "net/internet.h"
#include "net/live_check.h"
#include "profiles/profile.h"
#include "weather/weather_data.h"

namespace {

// The OK command a successful export sends.
constexpr unsigned kCommandMessage = 0x0111;
constexpr quintptr kOkCommand = 1;

}  // namespace

CExportRunner::CExportRunner(CProfile* profile)
    : m_exportType(profile->GetExportType()),
      m_ftp{profile->GetServerName(),   profile->GetUserName(), profile->GetPassword(),
            profile->GetFilePath(),     profile->GetFileName(), profile->GetFtpPassive(),
            profile->GetDavPlainLogin()},
      m_webUrl(profile->GetWebUrl()),
      m_profile(profile),
      m_drawing(profile->GetDrawing()),
      m_connectionType(profile->GetConnectionType()),
      m_connectionName(profile->GetConnectionName()),
      m_email{profile->GetSmtpServer(), profile->GetSmtpUserName(), profile->GetSmtpPassword(),
              profile->GetSenderName(), profile->GetSenderEmail(),  profile->GetRecipients(),
              profile->GetSubject(),    profile->GetText(),         profile->GetSmtpPlainLogin()},
      m_maxDataAge(profile->GetMaxDataAge()) {}

CExportRunner::~CExportRunner() {
    RequestStop(UINT_MAX);
}

void CExportRunner::BeginStep(unsigned stringId) {
    m_currentStep = stringId;
    if (!IsStopRequested()) {
        PostAppMessage(GetNotifyWindow(), kExportProgress, stringId, m_profile);
    }
}

void CExportRunner::CleanUpStep(unsigned stringId) {
    // After a failure the step that failed stays the current one.
    if (m_errorText.empty()) {
        m_currentStep = stringId;
    }
    if (!IsStopRequested()) {
        PostAppMessage(GetNotifyWindow(), kExportProgress, stringId, m_profile);
    }
}

void CExportRunner::Publish(const CImageBuffer& image) {
    StopCheck stop = [this] { return IsStopRequested(); };
    if (m_exportType == ExportType::Email) {
        SendImageByEmail(m_email, image.Data(), image.Size(),
                         m_drawing->GetImageFormat() == kJpegFormat, stop);
        return;
    }
    UploadByFtp(m_ftp, image.Data(), image.Size(), stop);
}

void CExportRunner::CheckPublished(const CImageBuffer& image) {
    // Whatever the target, an upload only counts once the web shows it.
    if (m_exportType == ExportType::Email || m_webUrl.empty()) {
        return;
    }
    CheckStop();
    BeginStep(kStepCheckingPublishedImage);
    CheckImageIsLive(m_webUrl, image.Data(), image.Size(), [this] { return IsStopRequested(); });
}

void CExportRunner::CheckStop() const {
    if (IsStopRequested()) {
        throw std::runtime_error(LangString(kTextExportStopped));
    }
}

bool CExportRunner::ReloadWeatherData() const {
    if (CWeatherData::Instance().Reload()) {
        return true;
    }
    for (int waited = 0; waited < 1000; waited += 50) {
        CheckStop();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return CWeatherData::Instance().Reload();
}

void CExportRunner::Run() {
    bool dialled = false;
    std::string closedConnection;
    try {
        BeginStep(kStepLoadingWeatherData);
        if (!ReloadWeatherData()) {
            throw std::runtime_error(WeatherFileProblem());
        }
        // Before anything is dialled: stale readings are never published.
        if (std::string tooOld = CWeatherData::Instance().TooOldProblem(m_maxDataAge);
            !tooOld.empty()) {
            throw std::runtime_error(tooOld);
        }
        CheckStop();
        BeginStep(kStepCheckingDialup);
        if (m_connectionType == ConnectionType::Dialup &&
            m_dialup.CheckDialupConnection(m_connectionName)) {
            if (m_dialup.FreeDialupDevice(m_connectionName, closedConnection)) {
                BeginStep(kStepClosingDialup);
                m_dialup.HangUp(closedConnection);
            }
            BeginStep(kStepOpeningDialup);
            dialled = m_dialup.OpenDialupConnection(m_connectionName);
        }
        CheckStop();
        if (!m_drawing->LivePictures().empty()) {
            BeginStep(kStepReadingCameraPicture);
        }
        CImageBuffer image = RenderImage(*m_drawing, [this] { return IsStopRequested(); });
        CheckStop();
        BeginStep(m_exportType == ExportType::Ftp ? kStepCopyingImage : kStepSendingEmails);
        Publish(image);
        CheckPublished(image);
    } catch (const CInternetException& error) {
        m_errorText = error.GetMessage();
    } catch (const std::runtime_error& error) {
        m_errorText = error.what();
    } catch (...) {
        m_errorText = "Unknown error";
    }
    // Whatever a stopped transfer reported, the export ended because it was asked to.
    if (IsStopRequested() && !m_errorText.empty()) {
        m_errorText = LangString(kTextExportStopped);
    }
    // The machine is left as it was found, also after a failure.
    try {
        if (dialled) {
            CleanUpStep(kStepClosingDialup);
            m_dialup.HangUp(m_connectionName);
        }
        if (!closedConnection.empty()) {
            CleanUpStep(kStepRestoringDialup);
            m_dialup.Restore(closedConnection);
        }
    } catch (...) {
        m_errorText = "Unknown error";
    }
    if (IsStopRequested()) {
        return;
    }
    if (!m_errorText.empty()) {
        PostAppMessage(GetNotifyWindow(), kExportProgress, kWordError, m_profile);
    } else {
        PostAppMessage(GetNotifyWindow(), kCommandMessage, kOkCommand, m_profile);
    }
}
