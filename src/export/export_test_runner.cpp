#include "export/export_test_runner.h"

#include <cstdlib>
#include <ctime>

#include "base/settings.h"
#include "export/image_file.h"
#include "profiles/profile.h"

CExportTestRunner::CExportTestRunner(CProfile* profile) : CExportRunner(profile) {
    CSettings& settings = CSettings::Instance();
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    std::string extension =
        profile->GetDrawing()->GetImageFormat() == kJpegFormat ? ".jpg" : ".png";
    m_exportType = ExportType::Ftp;
    m_ftp = {settings.GetTestServerName(), settings.GetTestUserName(), settings.GetTestPassword(),
             settings.GetTestFolder(), std::to_string(std::rand() % 32768) + extension};
    // The same check as a real export, at the address the browser is shown.
    m_webUrl = settings.GetTestWebAddress().empty() ? "" : GetWebAddress();
}

std::string CExportTestRunner::GetWebAddress() const {
    std::string base = CSettings::Instance().GetTestWebAddress();
    if (!base.empty() && base.back() != '/') {
        base += '/';
    }
    return base + m_ftp.fileName;
}
