// The main view: the image list above, the selected image's canvas and its Properties and
// Export tabs below. Owns the images and answers the messages of their schedules and exports.
#pragma once

#include <QWidget>
#include <memory>

#include "gui/mainwindow/image_list_model.h"

namespace Ui {
class CSkyvaneView;
}
class QTableView;
class QTabWidget;
class QScrollArea;

class CSkyvaneView : public QWidget {
    Q_OBJECT
  public:
    explicit CSkyvaneView(QWidget* parent = nullptr);
    ~CSkyvaneView() override;

    // Loads the list named by OpenedFile (data.xml in the data folder when it is empty); a
    // failure shows the load message and leaves the list empty.
    void LoadStartList();

    // Commands of the view.
    void NewImage();
    void DeleteImage();
    void NewList();
    void LoadList();
    // Saves to path, else to OpenedFile, else asks whether the new images are to be saved;
    // false when the user cancelled or the save failed (the message was shown).
    bool SaveList(const QString& path = {});
    bool SaveListAs();

    // True when the list changed since it was loaded or saved.
    bool IsModified() const { return m_modified; }
    // Suspends every schedule: nothing is queued any more (shutdown).
    void SuspendAll();

    CImageListModel& Model() { return *m_model; }
    QTableView* ImageList() const;
    QTabWidget* Tabs() const;
    QScrollArea* CanvasHost() const;
    // The image of the selected row; null when none is selected.
    CProfile* SelectedProfile() const;
    void SelectRow(int row);

  signals:
    void modifiedChanged(bool modified);
    void listFileChanged(const QString& path);

  protected:
    bool event(QEvent* event) override;

  private:
    void SetModified(bool modified);
    void Clear();
    // Loads path into the list; false (with the load message) leaves the list as it was.
    bool LoadFrom(const QString& path);
    void SizeColumns();
    void FitNameColumn();

    std::unique_ptr<Ui::CSkyvaneView> m_ui;
    CImageListModel* m_model;
    bool m_modified = false;
};
