// The main window: menus, toolbar and status bar around the main view, the tray icon, the
// weather file watch, minimizing into the tray and the shutdown order.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSystemTrayIcon>
#include <map>

#include "weather/weather_file_watcher.h"

class CSkyvaneView;
class QAction;
class QLabel;
class QMenu;
class CLayoutCheckDialog;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    CSkyvaneView* View() const { return m_view; }
    // The menu command of that string id; null when there is none.
    QAction* Action(unsigned id) const;
    QSystemTrayIcon* TrayIcon() const { return m_tray; }
    QMenu* TrayMenu() const { return m_trayMenu; }
    QLabel* WeatherWarning() const { return m_weatherWarning; }

    // Shows the window as the settings and the command line ask: normally, or hidden in the
    // tray, or minimized where there is no tray.
    void ShowAtStart(bool minimizedArgument);
    // Brings the window to the front from wherever it is (tray, minimized, behind others).
    void BringToFront();
    // True when the tray setting is on and the desktop has a notification area.
    bool UsesTray() const;

    // The Check Layout window of the image shown, opened (or checked again) by Image > Check
    // Layout; null before the first.
    CLayoutCheckDialog* LayoutCheck() const;

    // What the main window redoes after the Options dialog closed with OK.
    void ApplySettings();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QAction* AddAction(QMenu* menu, unsigned id);
    void BuildMenus();
    void BuildTrayMenu();
    void InstallTray(bool install);
    void StartWatch();
    void UpdateWeatherWarning();
    void UpdateTitle();
    void ShowOptions();
    void ShowAbout();
    void ShowLayoutCheck();
    void RemoveFromTray();

    CSkyvaneView* m_view;
    std::map<unsigned, QAction*> m_actions;
    QLabel* m_weatherWarning;
    QPointer<QSystemTrayIcon> m_tray;
    QMenu* m_trayMenu = nullptr;
    QPointer<CLayoutCheckDialog> m_layoutCheck;
    CWeatherFileWatcher m_watcher;
    QString m_listFile;
    bool m_shutDown = false;
};
