#include "gui/mainwindow/skyvane_view.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "base/app_message.h"
#include "base/lang_string.h"
#include "base/settings.h"
#include "base/string_ids.h"
#include "gui/canvas/canvas_view.h"
#include "gui/canvas/drawing_change.h"
#include "gui/canvas/drawing_snapshot.h"
#include "gui/exportpage/export_properties.h"
#include "gui/exportpage/export_test_dialog.h"
#include "gui/layoutcheck/preview_bar.h"
#include "gui/mainwindow/examples.h"
#include "gui/mainwindow/image_naming.h"
#include "gui/panes/draw_obj_properties.h"
#include "gui/panes/element_panes.h"
#include "gui/widgets/captions.h"
#include "gui/widgets/file_dialog.h"
#include "gui/widgets/message_box.h"
#include "ui_skyvane_view.h"

namespace {

constexpr unsigned kTextNewImageName = 171;
constexpr unsigned kTextDeleteQuestion = 141;
constexpr unsigned kTextSaveNewImages = 143;
constexpr unsigned kTextQueuedCannotDeactivate = 191;
constexpr unsigned kTextActiveCannotDelete = 192;
constexpr unsigned kTextSetUpTestServer = 430;
constexpr unsigned kTextNoImagesYet = 460;
constexpr unsigned kTextExamplesNotCopied = 463;
// Minutes the readings of a new image may be old.
constexpr int kNewImageMaxDataAge = 60;

QString xmlFilter() {
    return "*.xml";
}

}  // namespace

CSkyvaneView::CSkyvaneView(QWidget* parent)
    : QWidget(parent),
      m_ui(std::make_unique<Ui::CSkyvaneView>()),
      m_model(nullptr),
      m_canvas(new CCanvasView),
      m_properties(new CDrawObjProperties),
      m_export(new CExportProperties),
      m_previewBar(new CPreviewBar) {
    m_ui->setupUi(this);
    m_ui->canvasHost->setWidget(m_canvas);
    // A tab of its own beside Properties and Export, so the canvas keeps its full height.
    m_ui->tabs->addTab(m_previewBar, Caption(kTextPreviewTab));
    connect(m_previewBar, &CPreviewBar::stateChanged, this,
            [this] { m_canvas->SetPreviewState(m_previewBar->State()); });
    auto* propertiesLayout = new QVBoxLayout(m_ui->propertiesPage);
    auto* propertiesScroll = new QScrollArea;
    m_propertiesScroll = propertiesScroll;
    propertiesScroll->setObjectName("propertiesScroll");
    propertiesScroll->setWidgetResizable(true);
    propertiesScroll->setFrameShape(QFrame::NoFrame);
    // Lists as narrow as their content needs, so the panes fit the tab in every language.
    for (QComboBox* list : m_properties->findChildren<QComboBox*>()) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(6);
    }
    propertiesScroll->setWidget(m_properties);
    propertiesLayout->setContentsMargins(0, 0, 0, 0);
    propertiesLayout->addWidget(propertiesScroll);
    // The export page scrolls its fields itself, so that Apply and Test stay in sight.
    auto* exportLayout = new QVBoxLayout(m_ui->exportPage);
    exportLayout->setContentsMargins(0, 0, 0, 0);
    exportLayout->addWidget(m_export);
    connect(m_export, &CExportProperties::applied, this, [this] { SetModified(true); });
    connect(m_export, &CExportProperties::testRequested, this, &CSkyvaneView::TestExport);
    m_model = new CImageListModel(this);
    m_ui->imageList->setModel(m_model);
    m_ui->imageList->verticalHeader()->hide();
    m_ui->imageList->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_ui->imageList->horizontalHeader()->setSectionsClickable(false);
    m_ui->imageList->horizontalHeader()->setHighlightSections(false);
    m_ui->imageList->setShowGrid(false);
    // A taller window grows the list too (a quarter of the height); it shows four rows at the
    // least.
    m_ui->imageList->setMinimumHeight(m_ui->imageList->verticalHeader()->defaultSectionSize() * 5 +
                                      4);
    m_ui->tabs->setTabText(0, Caption(169));
    m_ui->tabs->setTabText(1, Caption(170));
    m_ui->emptyText->setText(Caption(kTextNoImagesYet));
    ApplyCaptions(this);
    connect(m_ui->createImage, &QPushButton::clicked, this, &CSkyvaneView::NewImage);
    connect(m_ui->openExamples, &QPushButton::clicked, this, &CSkyvaneView::OpenExamples);
    SetExamplesFolder(InstalledExamples(QCoreApplication::applicationDirPath()));
    for (auto rowsChanged : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(m_model, rowsChanged, this, &CSkyvaneView::ShowEmptyState);
    }
    connect(m_model, &QAbstractItemModel::modelReset, this, &CSkyvaneView::ShowEmptyState);
    ShowEmptyState();
    SizeColumns();
    connect(m_model, &CImageListModel::refused, this, [this] {
        CMessageBox::Show(this, LangString(kTextQueuedCannotDeactivate), QMessageBox::Critical);
    });
    connect(m_model, &CImageListModel::activeChanged, this, [this](int row) {
        SetModified(true);
        if (m_model->ProfileAt(row) == SelectedProfile()) {
            ShowSelected();
        }
    });
    connect(m_ui->imageList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CSkyvaneView::ShowSelected);
    connect(m_canvas, &CCanvasView::editWhileActiveRequested, this, [this] {
        int row = m_model->RowOf(m_canvas->Profile());
        m_model->setData(m_model->index(row, CImageListModel::Active), Qt::Unchecked,
                         Qt::CheckStateRole);
    });
    connect(m_canvas, &CCanvasView::selectionChanged, this,
            [this](CDrawObj* element, bool keepTab) {
                m_properties->ShowObject(element, m_canvas->Profile(), m_canvas->IsReadOnly());
                // Another element's pane starts at its top, not where the last one was left.
                m_propertiesScroll->verticalScrollBar()->setValue(0);
                if (!keepTab) {
                    m_ui->tabs->setCurrentIndex(0);
                }
            });
    auto remember = [this] { m_before = DrawingXml(*m_canvas->Drawing()); };
    connect(m_canvas, &CCanvasView::aboutToChange, this, remember);
    connect(m_canvas, &CCanvasView::changed, this, [this] { RecordChange(-1); });
    connect(m_properties, &CPane::aboutToChange, this, remember);
    connect(m_properties, &CPane::changed, this, [this](int field) {
        RecordChange(field);
        m_canvas->update();
    });
    connect(m_properties->BackgroundPane(), &CBackgroundProperties::nameChanged, this,
            [this](CProfile* profile) {
                m_model->Refresh(profile, CImageListModel::Name, CImageListModel::Name);
                SetModified(true);
            });
}

void CSkyvaneView::RecordChange(int field) {
    CProfile* profile = m_canvas->Profile();
    CDrawing* drawing = m_canvas->Drawing();
    if (profile == nullptr || drawing == nullptr) {
        return;
    }
    // Undo and redo select the element the change was made to, by its place in the stack.
    const auto& elements = drawing->Elements();
    auto changed = std::find_if(elements.begin(), elements.end(),
                                [this](const auto& element) {
                                    return element.get() == m_canvas->Selected();
                                }) -
                   elements.begin();
    StackOf(profile)->push(new CDrawingChange(
        drawing, m_before, DrawingXml(*drawing),
        [this, profile, changed] {
            if (m_canvas->Profile() == profile) {
                m_canvas->ShowImage(profile, profile->GetActive());
                const auto& now = profile->GetDrawing()->Elements();
                if (changed < static_cast<std::ptrdiff_t>(now.size())) {
                    m_canvas->Select(now[static_cast<size_t>(changed)].get(), true);
                }
            }
            SetModified(true);
        },
        field));
    SetModified(true);
}

void CSkyvaneView::TestExport(CProfile* profile) {
    CSettings& settings = CSettings::Instance();
    if (settings.GetTestServerName().empty() || settings.GetTestWebAddress().empty()) {
        CMessageBox::Show(this, LangString(kTextSetUpTestServer), QMessageBox::Information);
        return;
    }
    CExportTestDlg dialog(profile, window());
    dialog.exec();
    m_canvas->update();
}

void CSkyvaneView::ShowSelected() {
    CProfile* profile = SelectedProfile();
    CProfile* shown = m_export->Profile();
    if (m_reverting) {
        return;
    }
    if (shown != nullptr && profile != shown && !m_export->ResolveEdits()) {
        // Cancelled: the image whose edits are open stays selected.
        m_reverting = true;
        SelectRow(m_model->RowOf(shown));
        m_reverting = false;
        return;
    }
    m_canvas->ShowImage(profile, profile != nullptr && profile->GetActive());
    m_export->ShowImage(profile, profile != nullptr && profile->GetActive());
    m_undo.setActiveStack(profile != nullptr ? StackOf(profile) : nullptr);
}

QUndoStack* CSkyvaneView::StackOf(CProfile* profile) {
    std::unique_ptr<QUndoStack>& stack = m_stacks[profile];
    if (!stack) {
        stack = std::make_unique<QUndoStack>();
        m_undo.addStack(stack.get());
    }
    return stack.get();
}

void CSkyvaneView::ForgetHistory(CProfile* profile) {
    if (m_canvas->Profile() == profile) {
        m_canvas->ShowImage(nullptr, false);
        m_export->ShowImage(nullptr, false);
    }
    m_stacks.erase(profile);
}

CSkyvaneView::~CSkyvaneView() {
    Clear();
}

QTableView* CSkyvaneView::ImageList() const {
    return m_ui->imageList;
}

QTabWidget* CSkyvaneView::Tabs() const {
    return m_ui->tabs;
}

QScrollArea* CSkyvaneView::CanvasHost() const {
    return m_ui->canvasHost;
}

void CSkyvaneView::SizeColumns() {
    QFontMetrics list = m_ui->imageList->fontMetrics();
    QFontMetrics header = m_ui->imageList->horizontalHeader()->fontMetrics();
    auto title = [&](int column) {
        return header.horizontalAdvance(
                   m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()) +
               15;
    };
    QTableView* view = m_ui->imageList;
    view->setColumnWidth(CImageListModel::Active, title(CImageListModel::Active) + 10);
    view->setColumnWidth(CImageListModel::Name, list.horizontalAdvance("Example Profile") + 15);
    view->setColumnWidth(CImageListModel::Status,
                         list.horizontalAdvance("Waiting (00:00:00:00)    ") + 15);
    view->setColumnWidth(CImageListModel::LastStatus, 200);
    // Sized for the French titles, the longest of the three languages.
    view->setColumnWidth(
        CImageListModel::LastStart,
        header.horizontalAdvance(QString::fromUtf8("Dernière heure de début")) + 15);
    view->setColumnWidth(CImageListModel::LastFinish,
                         header.horizontalAdvance(QString::fromUtf8("Dernière heure de fin")) + 15);
}

void CSkyvaneView::FitNameColumn() {
    // At least as wide as "Example Profile", wider for longer names up to a limit.
    int width = m_ui->imageList->fontMetrics().horizontalAdvance("Example Profile") + 15;
    for (const auto& profile : m_model->Profiles()) {
        width = std::max(width, m_ui->imageList->fontMetrics().horizontalAdvance(
                                    QString::fromStdString(profile->GetName())) +
                                    15);
    }
    m_ui->imageList->setColumnWidth(CImageListModel::Name, std::min(width, 250));
}

CProfile* CSkyvaneView::SelectedProfile() const {
    QModelIndexList rows = m_ui->imageList->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : m_model->ProfileAt(rows.front().row());
}

void CSkyvaneView::SelectRow(int row) {
    QModelIndex index = m_model->index(row, CImageListModel::Name);
    m_ui->imageList->setCurrentIndex(index);
    m_ui->imageList->selectRow(row);
    m_ui->imageList->scrollTo(index);
}

void CSkyvaneView::SetModified(bool modified) {
    if (modified != m_modified) {
        m_modified = modified;
        emit modifiedChanged(modified);
    }
}

void CSkyvaneView::Clear() {
    m_canvas->ShowImage(nullptr, false);
    m_export->ShowImage(nullptr, false);
    m_stacks.clear();
    m_model->Reset({});
}

void CSkyvaneView::SuspendAll() {
    for (const auto& profile : m_model->Profiles()) {
        profile->SetSuspended(true);
    }
}

void CSkyvaneView::LoadStartList() {
    std::string opened = CSettings::Instance().GetOpenedFile();
    std::string defaultList = CSettings::GetProgramDirectory() + "SKV/data/data.xml";
    std::string path = opened.empty() ? defaultList : opened;
    // The default list is made by the first save: until then the list has no name to show. A
    // list named by the settings that is gone is told, and the next save writes it again:
    // another list loaded in its place would take that save.
    bool firstStart = path == defaultList && !std::filesystem::exists(path);
    if (!firstStart) {
        LoadFrom(QString::fromStdString(path));
    }
    emit listFileChanged(
        firstStart ? QString() : QString::fromStdString(CSettings::Instance().GetOpenedFile()));
}

void CSkyvaneView::SetExamplesFolder(const QString& folder) {
    m_examples = folder;
    m_ui->openExamples->setVisible(!folder.isEmpty());
}

void CSkyvaneView::ShowEmptyState() {
    m_ui->imageStack->setCurrentWidget(m_model->rowCount() == 0 ? m_ui->emptyState
                                                                : m_ui->canvasHost);
}

void CSkyvaneView::OpenExamples() {
    // A list that never had an image is not written out before it is left.
    if ((m_model->rowCount() > 0 || m_modified) && !SaveList()) {
        return;
    }
    QString copy = QString::fromStdString(CSettings::GetProgramDirectory()) + "examples";
    bool fresh = false;
    QString list = CopyExamples(m_examples, copy, fresh);
    if (list.isEmpty()) {
        CMessageBox::Show(this, LangString(kTextExamplesNotCopied, {copy.toStdString()}),
                          QMessageBox::Critical);
        return;
    }
    if (!LoadFrom(list)) {
        return;
    }
    if (fresh) {
        // Their servers are made up: nothing is published before the user sets real ones.
        for (const auto& profile : m_model->Profiles()) {
            profile->SetActive(false);
            m_model->Refresh(profile.get(), CImageListModel::Active, CImageListModel::Status);
        }
        ShowSelected();
        SaveList();
    }
    emit examplesOpened(copy);
}

bool CSkyvaneView::LoadFrom(const QString& path) {
    ProfileList profiles;
    try {
        profiles = LoadProfilesFile(path.toStdString(), this);
    } catch (const std::runtime_error& error) {
        CMessageBox::Show(this, error.what(), QMessageBox::Critical);
        return false;
    }
    Clear();
    m_model->Reset(std::move(profiles));
    FitNameColumn();
    if (m_model->rowCount() > 0) {
        SelectRow(0);
    }
    SetModified(false);
    emit listFileChanged(QString::fromStdString(CSettings::Instance().GetOpenedFile()));
    return true;
}

void CSkyvaneView::NewImage() {
    std::vector<std::string> names;
    for (const auto& profile : m_model->Profiles()) {
        names.push_back(profile->GetName());
    }
    std::string name = NextImageName(LangString(kTextNewImageName), names);
    auto profile = std::make_unique<CProfile>(name, this);
    // A new image never publishes the readings of a station program that stopped writing.
    profile->SetMaxDataAge(kNewImageMaxDataAge);
    m_model->Append(std::move(profile));
    SelectRow(m_model->rowCount() - 1);
    m_ui->imageList->setFocus();
    SetModified(true);
}

void CSkyvaneView::DeleteImage() {
    QModelIndexList rows = m_ui->imageList->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return;
    }
    int row = rows.front().row();
    if (m_model->ProfileAt(row)->GetActive()) {
        CMessageBox::Show(this, LangString(kTextActiveCannotDelete), QMessageBox::Warning);
        return;
    }
    if (CMessageBox::Show(this, LangString(kTextDeleteQuestion), QMessageBox::Question,
                          QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    ForgetHistory(m_model->ProfileAt(row));
    m_model->Remove(row);
    SetModified(true);
}

void CSkyvaneView::NewList() {
    if (!SaveList()) {
        return;
    }
    CSettings::Instance().SetOpenedFile("");
    QString folder = QString::fromStdString(CSettings::GetProgramDirectory()) + "SKV/data/";
    QDir().mkpath(folder);
    QDir::setCurrent(folder);
    Clear();
    SetModified(false);
    emit listFileChanged(QString());
}

void CSkyvaneView::LoadList() {
    if (!SaveList()) {
        return;
    }
    QString path = CFileDialog::GetOpenFileName(
        this, QString::fromStdString(CSettings::Instance().GetOpenedFile()), xmlFilter());
    if (!path.isEmpty()) {
        LoadFrom(path);
    }
}

bool CSkyvaneView::SaveList(const QString& path) {
    // Export settings still in the page belong in what is saved, or are given up knowingly.
    if (!m_export->ResolveEdits()) {
        return false;
    }
    QString file =
        path.isEmpty() ? QString::fromStdString(CSettings::Instance().GetOpenedFile()) : path;
    if (file.isEmpty()) {
        if (m_model->rowCount() == 0) {
            return true;
        }
        switch (CMessageBox::Show(this, LangString(kTextSaveNewImages), QMessageBox::Question,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
            case QMessageBox::Yes:
                return SaveListAs();
            case QMessageBox::No:
                return true;
            default:
                return false;
        }
    }
    try {
        SaveProfilesFile(file.toStdString(), m_model->Profiles());
    } catch (const std::runtime_error& error) {
        CMessageBox::Show(this, error.what(), QMessageBox::Critical);
        return false;
    }
    SetModified(false);
    emit listFileChanged(QString::fromStdString(CSettings::Instance().GetOpenedFile()));
    return true;
}

bool CSkyvaneView::SaveListAs() {
    QString path = CFileDialog::GetSaveFileName(
        this, QString::fromStdString(CSettings::Instance().GetOpenedFile()), xmlFilter());
    // A name typed without an extension is a list all the same.
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
        path += ".xml";
    }
    return !path.isEmpty() && SaveList(path);
}

bool CSkyvaneView::event(QEvent* event) {
    if (event->type() != CAppMessageEvent::EventType()) {
        return QWidget::event(event);
    }
    auto* message = static_cast<CAppMessageEvent*>(event);
    auto* profile = static_cast<CProfile*>(message->lParam);
    switch (message->message) {
        case kExportStarted:
            m_model->Refresh(profile, CImageListModel::LastStart, CImageListModel::LastStart);
            break;
        case kProfileStatus:
            m_model->Refresh(profile, CImageListModel::Status, CImageListModel::Status);
            break;
        case kExportSucceeded:
        case kExportFailed:
            m_model->Refresh(profile, CImageListModel::LastStatus, CImageListModel::LastFinish);
            break;
        default:
            break;
    }
    return true;
}
