// The main view: the image list above, the selected image's canvas and its Properties and
// Export tabs below. Owns the images and answers the messages of their schedules and exports.
#pragma once

#include <QUndoGroup>
#include <QWidget>
#include <map>
#include <memory>
#include <string>

#include "gui/mainwindow/image_list_model.h"

namespace Ui {
class CSkyvaneView;
}
class CCanvasView;
class CDrawObjProperties;
class CExportProperties;
class CPreviewBar;
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
    // Opens the copy of the examples in the data folder, made first (its images deactivated)
    // where there is none yet.
    void OpenExamples();
    // Where the examples are copied from; empty hides the offer to open them.
    void SetExamplesFolder(const QString& folder);
    // Settles export edits not applied yet, then saves to path, else to OpenedFile, else asks
    // whether the new images are to be saved; false when the user cancelled or the save failed
    // (the message was shown).
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
    CCanvasView* Canvas() const { return m_canvas; }
    // The preview selector below the canvas.
    CPreviewBar* PreviewBar() const { return m_previewBar; }
    CDrawObjProperties* Properties() const { return m_properties; }
    CExportProperties* ExportPage() const { return m_export; }
    // The undo history of the image shown (each image keeps its own).
    QUndoGroup& UndoGroup() { return m_undo; }
    // The image of the selected row; null when none is selected.
    CProfile* SelectedProfile() const;
    void SelectRow(int row);

  signals:
    void modifiedChanged(bool modified);
    void listFileChanged(const QString& path);
    // The examples' copy in folder is the list now.
    void examplesOpened(const QString& folder);

  protected:
    bool event(QEvent* event) override;

  private:
    void SetModified(bool modified);
    void Clear();
    // Loads path into the list; false (with the load message) leaves the list as it was.
    bool LoadFrom(const QString& path);
    void SizeColumns();
    // Without images the image pane offers to make one or to open the examples.
    void ShowEmptyState();
    // Shows the selected image on the canvas, read-only while it is active.
    void ShowSelected();
    // The Test button: the test export's dialog, or where to set the test server up.
    void TestExport(CProfile* profile);
    QUndoStack* StackOf(CProfile* profile);
    // Puts the change since aboutToChange into the shown image's history.
    void RecordChange(int field);
    void ForgetHistory(CProfile* profile);
    void FitNameColumn();

    std::unique_ptr<Ui::CSkyvaneView> m_ui;
    CImageListModel* m_model;
    CCanvasView* m_canvas;
    CDrawObjProperties* m_properties;
    CExportProperties* m_export;
    CPreviewBar* m_previewBar;
    QUndoGroup m_undo;
    std::map<CProfile*, std::unique_ptr<QUndoStack>> m_stacks;
    std::string m_before;
    bool m_modified = false;
    // The selection is being put back after a cancelled change of image.
    bool m_reverting = false;
    QScrollArea* m_propertiesScroll = nullptr;
    QString m_examples;
};
