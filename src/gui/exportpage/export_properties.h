// The Export tab: when, how often, how and where the selected image is published. Edits stay in
// the controls until Apply writes them into the image; Test runs a test export.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>

namespace Ui {
class CExportProperties;
}
class CProfile;
class CExportFtpProperties;
class CExportEmailProperties;

// When the image is exported next: while it waits, now plus its countdown; else its first
// start, or now when that has passed.
std::int64_t NextExportTime(const CProfile& profile, std::int64_t now);

class CExportProperties : public QWidget {
    Q_OBJECT
  public:
    explicit CExportProperties(QWidget* parent = nullptr);
    ~CExportProperties() override;

    // Fills the page from the image (none for null); read-only while the image is active.
    void ShowImage(CProfile* profile, bool readOnly);
    // Writes the page into the shown image.
    void Apply();
    // Edits not applied yet are applied or discarded, as the user answers; false when the user
    // cancels, so that the image stays shown.
    bool ResolveEdits();
    CProfile* Profile() const { return m_profile; }

    CExportFtpProperties* FtpPage() const { return m_ftp; }
    CExportEmailProperties* EmailPage() const { return m_email; }
    Ui::CExportProperties& Form() { return *m_ui; }

  signals:
    // The edits were written into the image.
    void applied(CProfile* profile);
    // Test was pressed for the image.
    void testRequested(CProfile* profile);

  private:
    void Edited();
    void ShowPageOfType();
    void ShowNextExport();

    std::unique_ptr<Ui::CExportProperties> m_ui;
    CExportFtpProperties* m_ftp;
    CExportEmailProperties* m_email;
    CProfile* m_profile = nullptr;
    bool m_readOnly = false;
    bool m_dialupAvailable = false;
};
