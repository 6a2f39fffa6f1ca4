// The FTP and e-mail halves of the Export page: their fields, filled from an image and written
// back into it, each field marked where an export would refuse it.
#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class CExportFtpProperties;
class CExportEmailProperties;
}  // namespace Ui
class CProfile;

class CExportFtpProperties : public QWidget {
    Q_OBJECT
  public:
    explicit CExportFtpProperties(QWidget* parent = nullptr);
    ~CExportFtpProperties() override;
    void Show(const CProfile* profile, bool readOnly);
    void Apply(CProfile& profile) const;
    Ui::CExportFtpProperties& Form() { return *m_ui; }

  signals:
    void edited();

  private:
    void MarkProblems();
    std::unique_ptr<Ui::CExportFtpProperties> m_ui;
    bool m_readOnly = true;
};

class CExportEmailProperties : public QWidget {
    Q_OBJECT
  public:
    explicit CExportEmailProperties(QWidget* parent = nullptr);
    ~CExportEmailProperties() override;
    void Show(const CProfile* profile, bool readOnly);
    void Apply(CProfile& profile) const;
    Ui::CExportEmailProperties& Form() { return *m_ui; }

  signals:
    void edited();

  private:
    void Import();
    void MarkProblems();
    std::unique_ptr<Ui::CExportEmailProperties> m_ui;
};

// Marks a field whose value an export would refuse, with the reason as its tooltip; an empty
// reason clears the mark.
void MarkField(QWidget* field, const QString& reason);
