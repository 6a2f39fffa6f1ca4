// The export of the Test button: the image's own drawing and connection, but uploaded by FTP to
// the test server under a pseudo-random number with the image's extension, and checked at the
// test web address.
#pragma once

#include "export/export_runner.h"

class CExportTestRunner : public CExportRunner {
  public:
    // Takes the test server from the settings; the image's own publishing settings are unused.
    explicit CExportTestRunner(CProfile* profile);

    // The name the image is uploaded as ("<number>.jpg" or ".png").
    const std::string& GetFileName() const { return m_ftp.fileName; }
    // Where the web server shows it: the test web address followed by the file name.
    std::string GetWebAddress() const;
};
