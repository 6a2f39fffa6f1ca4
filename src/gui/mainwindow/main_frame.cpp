#include "gui/mainwindow/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

#include "base/app_message.h"
#include "base/lang_string.h"
#include "base/settings.h"
#include "base/string_ids.h"
#include "export/work_queue.h"
#include "gui/canvas/canvas_view.h"
#include "gui/dialogs/about_dialog.h"
#include "gui/dialogs/options_dialog.h"
#include "gui/help.h"
#include "gui/layoutcheck/layout_check_dialog.h"
#include "gui/mainwindow/skyvane_view.h"
#include "gui/widgets/captions.h"
#include "gui/widgets/wheel_guard.h"
#include "weather/weather_data.h"

namespace {

// Menu titles and their commands, 0 for a separator.
struct MenuSpec {
    unsigned title;
    std::vector<unsigned> commands;
};

const MenuSpec kMenus[] = {
    {410, {249, 250, 57603, 246, 0, 273, 253}},
    {420, {421, 422}},
    {290, {291, 292, 0, 293, 294}},
    {411, {238, 221, 0, 282}},
    {412, {231, 0, 232, 260, 262, 0, 313, 314, 315, 0, 202, 203, 281}},
    {413, {222}},
    {414, {193, 276, 251}},
};

// The element commands; they reach the canvas editor.
const unsigned kElementCommands[] = {231, 232, 260, 262, 313, 314, 315, 202, 203, 281};

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QString(":/icons/skyvane-%1.png").arg(size));
    }
    return icon;
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), m_view(new CSkyvaneView(this)), m_weatherWarning(new QLabel(this)) {
    setWindowIcon(programIcon());
    setCentralWidget(m_view);
    CWheelGuard::Install();
    // Large enough for a 400 × 400 image beside its panes, where the screen allows.
    QSize wanted(960, 720);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        wanted = wanted.boundedTo(screen->availableGeometry().size() * 9 / 10);
    }
    resize(wanted);
    CPoint position = CSettings::Instance().GetWindowPosition();
    move(position.x, position.y);
    BuildMenus();
    BuildTrayMenu();
    // A long path must not widen the window; the whole text is in the tooltip.
    m_weatherWarning->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(m_weatherWarning, 1);
    connect(m_view, &CSkyvaneView::modifiedChanged, this, [this] { UpdateTitle(); });
    connect(m_view, &CSkyvaneView::listFileChanged, this, [this](const QString& path) {
        m_listFile = path;
        UpdateTitle();
    });
    connect(m_view, &CSkyvaneView::examplesOpened, this, [this](const QString& folder) {
        // Without a station's file yet the examples' own stands in, so their readings show.
        CSettings& settings = CSettings::Instance();
        QString weather = folder + "/currdat.lst";
        if (!QFileInfo::exists(QString::fromStdString(settings.GetWeatherFilePath())) &&
            QFileInfo::exists(weather)) {
            settings.SetWeatherFilePath(weather.toStdString());
            ApplySettings();
        }
    });
    m_view->LoadStartList();
    UpdateTitle();
    InstallTray(UsesTray());
    UpdateWeatherWarning();
    StartWatch();
}

CMainFrame::~CMainFrame() {
    m_watcher.Stop();
    // The view outlives this body and clears its canvas: nothing of it may reach back here.
    disconnect(m_view->Canvas(), nullptr, this, nullptr);
    disconnect(&m_view->Model(), nullptr, this, nullptr);
}

QAction* CMainFrame::Action(unsigned id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QAction* CMainFrame::AddAction(QMenu* menu, unsigned id) {
    auto* action = new QAction(Caption(id), this);
    action->setObjectName(QString("action%1").arg(id));
    action->setStatusTip(HelpOf(id));
    menu->addAction(action);
    m_actions[id] = action;
    return action;
}

void CMainFrame::BuildMenus() {
    for (const MenuSpec& spec : kMenus) {
        QMenu* menu = menuBar()->addMenu(Caption(spec.title));
        // The prompt of the last command the pointer crossed goes with the menu.
        connect(menu, &QMenu::aboutToHide, statusBar(), &QStatusBar::clearMessage);
        for (unsigned id : spec.commands) {
            if (id == 0) {
                menu->addSeparator();
            } else {
                AddAction(menu, id);
            }
        }
    }
    Action(238)->setShortcut(QKeySequence("Ctrl+N"));
    Action(250)->setShortcut(QKeySequence::Open);
    Action(57603)->setShortcut(QKeySequence::Save);
    Action(193)->setShortcut(QKeySequence::HelpContents);
    // Delete in the image list deletes the image; on the canvas it deletes the element.
    Action(221)->setShortcut(QKeySequence::Delete);
    Action(221)->setShortcutContext(Qt::WidgetShortcut);
    m_view->ImageList()->addAction(Action(221));
    auto updateDelete = [this] { Action(221)->setEnabled(m_view->Model().rowCount() > 0); };
    for (auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(&m_view->Model(), changed, this, updateDelete);
    }
    connect(&m_view->Model(), &QAbstractItemModel::modelReset, this, updateDelete);
    updateDelete();
    Action(249)->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    Action(250)->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    Action(57603)->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    Action(193)->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    QToolBar* tools = addToolBar("Skyvane");
    tools->setObjectName("toolbar");
    tools->setMovable(false);
    for (unsigned id : {249u, 250u, 57603u}) {
        tools->addAction(Action(id));
    }
    tools->addSeparator();
    tools->addAction(Action(193));
    Action(291)->setShortcuts({QKeySequence::ZoomIn, QKeySequence("Ctrl+=")});
    Action(292)->setShortcut(QKeySequence::ZoomOut);
    Action(293)->setShortcut(QKeySequence("Ctrl+0"));
    Action(294)->setShortcut(QKeySequence("Ctrl+1"));
    CCanvasView* canvas = m_view->Canvas();
    connect(Action(291), &QAction::triggered, canvas, &CCanvasView::ZoomIn);
    connect(Action(292), &QAction::triggered, canvas, &CCanvasView::ZoomOut);
    connect(Action(293), &QAction::triggered, canvas, &CCanvasView::FitToWindow);
    connect(Action(294), &QAction::triggered, canvas, [canvas] { canvas->SetZoom(1.0); });
    Action(421)->setShortcut(QKeySequence::Undo);
    Action(422)->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
    Action(421)->setEnabled(false);
    Action(422)->setEnabled(false);
    QUndoGroup& history = m_view->UndoGroup();
    connect(&history, &QUndoGroup::canUndoChanged, Action(421), &QAction::setEnabled);
    connect(&history, &QUndoGroup::canRedoChanged, Action(422), &QAction::setEnabled);
    connect(Action(421), &QAction::triggered, &history, &QUndoGroup::undo);
    connect(Action(422), &QAction::triggered, &history, &QUndoGroup::redo);
    for (unsigned id : kElementCommands) {
        // They reach the canvas editor, while it shows an image.
        Action(id)->setEnabled(false);
        connect(Action(id), &QAction::triggered, this,
                [this, id] { m_view->Canvas()->Insert(id); });
    }
    Action(282)->setEnabled(false);
    connect(m_view->Canvas(), &CCanvasView::selectionChanged, this, [this] {
        for (unsigned id : kElementCommands) {
            Action(id)->setEnabled(m_view->Canvas()->Drawing() != nullptr);
        }
        Action(282)->setEnabled(m_view->Canvas()->Drawing() != nullptr);
    });
    connect(Action(282), &QAction::triggered, this, &CMainFrame::ShowLayoutCheck);
    // The image list's context menu: its image commands.
    m_view->ImageList()->addAction(Action(282));
    m_view->ImageList()->setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(Action(249), &QAction::triggered, m_view, &CSkyvaneView::NewList);
    connect(Action(250), &QAction::triggered, m_view, &CSkyvaneView::LoadList);
    connect(Action(57603), &QAction::triggered, m_view, [this] { m_view->SaveList(); });
    connect(Action(246), &QAction::triggered, m_view, &CSkyvaneView::SaveListAs);
    connect(Action(273), &QAction::triggered, this, [this] { showMinimized(); });
    connect(Action(253), &QAction::triggered, this, &QWidget::close);
    connect(Action(238), &QAction::triggered, m_view, &CSkyvaneView::NewImage);
    connect(Action(221), &QAction::triggered, m_view, &CSkyvaneView::DeleteImage);
    connect(Action(222), &QAction::triggered, this, &CMainFrame::ShowOptions);
    connect(Action(193), &QAction::triggered, this,
            [] { OpenHelp(CSettings::Instance().GetLangID()); });
    connect(Action(276), &QAction::triggered, this, [] { OpenHomepage(); });
    connect(Action(251), &QAction::triggered, this, &CMainFrame::ShowAbout);
}

void CMainFrame::BuildTrayMenu() {
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName("trayMenu");
    QAction* show = m_trayMenu->addAction(Caption(271));
    show->setObjectName("trayShow");
    QFont bold = show->font();
    bold.setBold(true);
    show->setFont(bold);  // the default command, as a double-click runs it
    connect(show, &QAction::triggered, this, &CMainFrame::BringToFront);
    QAction* remove = m_trayMenu->addAction(Caption(274));
    remove->setObjectName("trayRemove");
    connect(remove, &QAction::triggered, this, &CMainFrame::RemoveFromTray);
    m_trayMenu->addSeparator();
    QAction* exit = m_trayMenu->addAction(Caption(253));
    exit->setObjectName("trayExit");
    connect(exit, &QAction::triggered, this, &QWidget::close);
}

bool CMainFrame::UsesTray() const {
    return CSettings::Instance().GetShowInSystemTray() != 0 &&
           QSystemTrayIcon::isSystemTrayAvailable();
}

void CMainFrame::InstallTray(bool install) {
    if (!install) {
        if (m_tray) {
            m_tray->hide();
            delete m_tray;
        }
        return;
    }
    if (m_tray) {
        return;
    }
    m_tray = new QSystemTrayIcon(programIcon(), this);
    m_tray->setToolTip("Skyvane");
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    BringToFront();
                }
            });
    m_tray->show();
}

void CMainFrame::RemoveFromTray() {
    if (isHidden()) {
        showMinimized();
    }
    CSettings::Instance().SetShowInSystemTray(0);
    InstallTray(false);
}

void CMainFrame::ShowAtStart(bool minimizedArgument) {
    if (CSettings::Instance().GetWindowMinimized() == 0 && !minimizedArgument) {
        show();
    } else if (!UsesTray()) {
        // Hidden without a tray icon the program could not be reached.
        showMinimized();
    }
}

void CMainFrame::BringToFront() {
    if (isMinimized() || isHidden()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void CMainFrame::StartWatch() {
    std::string path = CSettings::Instance().GetWeatherFilePath();
    auto cut = path.rfind('/');
    if (cut == std::string::npos) {
        m_watcher.Stop();
        return;
    }
    m_watcher.SetSettleDelay(1000);
    m_watcher.Start(this, kWeatherFileChanged, path.substr(0, cut == 0 ? 1 : cut));
}

void CMainFrame::UpdateWeatherWarning() {
    QString warning = QString::fromStdString(WeatherFileWarning());
    m_weatherWarning->setText(warning);
    m_weatherWarning->setToolTip(warning);
}

void CMainFrame::UpdateTitle() {
    QString name = m_listFile.isEmpty() ? QString() : QFileInfo(m_listFile).fileName();
    setWindowTitle(name.isEmpty() ? "Skyvane[*]" : name + "[*] - Skyvane");
    // Save stays enabled: a list removed behind the program's back can be written again.
    setWindowModified(m_view->IsModified());
}

void CMainFrame::ApplySettings() {
    StartWatch();
    InstallTray(UsesTray());
    CWeatherData::Instance().Reload();
    UpdateWeatherWarning();
}

void CMainFrame::ShowOptions() {
    COptionsDlg dialog(this);
    if (dialog.exec() == QDialog::Accepted) {
        ApplySettings();
    }
}

CLayoutCheckDialog* CMainFrame::LayoutCheck() const {
    return m_layoutCheck;
}

void CMainFrame::ShowLayoutCheck() {
    if (m_layoutCheck) {
        m_layoutCheck->Check();
    } else {
        m_layoutCheck = new CLayoutCheckDialog(m_view->Canvas(), m_view->PreviewBar(), this);
        m_layoutCheck->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_layoutCheck->show();
    m_layoutCheck->raise();
}

void CMainFrame::ShowAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == CAppMessageEvent::EventType()) {
        if (static_cast<CAppMessageEvent*>(event)->message == kWeatherFileChanged) {
            CWeatherData::Instance().Reload();
            UpdateWeatherWarning();
            m_view->CanvasHost()->viewport()->update();
        }
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || m_shutDown) {
        return;
    }
    auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (!(change->oldState() & Qt::WindowMinimized)) {
        CSettings::Instance().SetWindowPosition(CPoint{x(), y()});
    }
    if (UsesTray()) {
        // Into the tray once the state change is through. The window stays minimized while
        // hidden: clearing the state would map it again, unpainted, before it is hidden.
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) {
                hide();
            }
        });
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_shutDown) {
        event->accept();
        return;
    }
    // The save question first: a cancel or a failed save keeps the program running.
    if (!m_view->SaveList()) {
        event->ignore();
        return;
    }
    m_shutDown = true;
    CSettings& settings = CSettings::Instance();
    bool hidden = isHidden();
    bool minimized = isMinimized();
    settings.SetWindowMinimized(UsesTray() ? hidden : minimized);
    if (!hidden && !minimized) {
        settings.SetWindowPosition(CPoint{x(), y()});
    }
    m_watcher.Stop();
    hide();
    m_view->SuspendAll();
    // Ends a running export within seconds; it is recorded as failed.
    CWorkQueue::Application().Shutdown();
    QCoreApplication::sendPostedEvents(m_view);
    // Once more, so that the list holds the outcome of the export that was just ended.
    if (!settings.GetOpenedFile().empty()) {
        m_view->SaveList();
    }
    InstallTray(false);
    event->accept();
    QCoreApplication::quit();
}
