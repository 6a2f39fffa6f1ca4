// The panes of the picture kinds: one row per picture slot with a preview, the file's path and
// a button to choose the file.
#pragma once

#include <memory>
#include <vector>

#include "gui/panes/pane.h"

namespace Ui {
class CPictureSlotRow;
class CLivePictureSettings;
}  // namespace Ui

// One slot: preview, path and "...".
class CPictureSlotRow : public QWidget {
    Q_OBJECT
  public:
    CPictureSlotRow(int builtinId, QWidget* parent = nullptr);
    ~CPictureSlotRow() override;

    void SetPath(const QString& path);
    QString Path() const;
    void SetReadOnly(bool readOnly);
    // The picture of the path, or the built-in one, small.
    void ShowPreview();
    Ui::CPictureSlotRow& Form() { return *m_ui; }

  signals:
    // The user left the path field or chose a file.
    void pathGiven(const QString& path);

  private:
    std::unique_ptr<Ui::CPictureSlotRow> m_ui;
    int m_builtinId;
};

// Slots in groups: each (slot index, group caption, built-in picture, the helps of its row).
struct PictureSlotSpec {
    int index;
    unsigned groupId;
    int builtinId;
    // The help of the row's path field, "..." button and preview; 0 for none.
    unsigned pathId = 0;
    unsigned browseId = 0;
    unsigned previewId = 0;
};

class CPictureSlotsPane : public CPane {
    Q_OBJECT
  public:
    // always: a given path is applied even when it equals the element's (it reloads the picture
    // and resets the aspect ratio); otherwise only a changed path is.
    CPictureSlotsPane(const std::vector<PictureSlotSpec>& pictureSlots, bool always,
                      QWidget* parent = nullptr);
    virtual void ShowObject(CDrawObj* element, bool readOnly);
    CPictureSlotRow* Row(size_t position) const { return m_rows.at(position); }

  private:
    std::vector<PictureSlotSpec> m_slots;
    std::vector<CPictureSlotRow*> m_rows;
    bool m_always;
};

// The picture file's pane: the file, how it fits the element, and whether it is live.
class CImageSimpleProperties : public CPictureSlotsPane {
    Q_OBJECT
  public:
    explicit CImageSimpleProperties(QWidget* parent = nullptr);
    ~CImageSimpleProperties() override;
    void ShowObject(CDrawObj* element, bool readOnly) override;

  private:
    // Only a live picture has an age, may be left out and may name a certificate.
    void EnableLiveSettings(bool readOnly);

    std::unique_ptr<Ui::CLivePictureSettings> m_live;
};

class CImageWeatherProperties : public CPictureSlotsPane {
    Q_OBJECT
  public:
    explicit CImageWeatherProperties(QWidget* parent = nullptr);
};

class CImageWeatherTendencyProperties : public CPictureSlotsPane {
    Q_OBJECT
  public:
    explicit CImageWeatherTendencyProperties(QWidget* parent = nullptr);
};

class CImageStormWarningProperties : public CPictureSlotsPane {
    Q_OBJECT
  public:
    explicit CImageStormWarningProperties(QWidget* parent = nullptr);
};
