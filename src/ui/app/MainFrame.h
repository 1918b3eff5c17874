#pragma once

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QMenu;
class QTimer;

namespace stampwell {

// The main window: the registration screen at a fixed size, the menu, and the tray icon that the
// window hides into when minimised.
class CMainFrame : public QMainWindow {
public:
    // Command ids of the menu.
    enum ECommand {
        kEnvironment = 40011,
        kWorkRules = 40050,
        kExport = 40030,
        kQuit = 57665,
        kUsers = 40039,
        kAdmins = 40029,
        kMail = 40041,
        kChime = 40023,
        kEditRecords = 40036,
        kVersion = 40006,
        kGuide = 40060,
        kLimits = 40061,
        kLeave = 40062,
        kSchedule = 40063,
        kTrayQuit = 40017
    };

    explicit CMainFrame(int mode);
    ~CMainFrame() override;

    // Shows the screen in the window and fits the window to it.
    void ShowScreen(QWidget* screen);
    void SetCommandHandler(int command, std::function<void()> handler);
    QAction* Command(int command) const;

    void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void RestoreFromTray();
    QMenu& TrayMenu() const { return *m_trayMenu; }
    bool HasTray() const { return static_cast<bool>(m_tray); }

protected:
    void changeEvent(QEvent* event) override;

private:
    void BuildMenu(int mode);
    // Shows the tray icon once a tray is there, and forgets it when the tray goes.
    void WatchTray();

    std::map<int, QAction*> m_commands;
    std::unique_ptr<QMenu> m_trayMenu;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    QTimer* m_trayWatch = nullptr;
};

// Our own icon: a clock face.
QIcon StampwellIcon();

}  // namespace stampwell
