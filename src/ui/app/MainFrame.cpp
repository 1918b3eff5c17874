#include "app/MainFrame.h"

#include <QApplication>
#include <QEvent>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include "settings/ModeFiles.h"

namespace stampwell {

QIcon StampwellIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(32, 64, 128));
    painter.setPen(QPen(QColor(208, 208, 0), 5));
    painter.drawEllipse(QRect(4, 4, 56, 56));
    painter.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(32, 32, 32, 14);
    painter.drawLine(32, 32, 45, 38);
    return QIcon(pixmap);
}

CMainFrame::CMainFrame(int mode) {
    setWindowTitle(QStringLiteral("Stampwell"));
    setWindowIcon(StampwellIcon());
    // A fixed window: caption, system menu and minimise box only.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    BuildMenu(mode);

    m_trayMenu = std::make_unique<QMenu>();
    QAction* quit = m_trayMenu->addAction(QString::fromUtf8("終了"));
    m_commands[kTrayQuit] = quit;
    connect(quit, &QAction::triggered, this, &QWidget::close);
    // With autostart the panel (and its tray) often starts after the clock, and a panel may
    // restart: the tray is looked for again every two seconds.
    m_trayWatch = new QTimer(this);
    m_trayWatch->setInterval(2000);
    connect(m_trayWatch, &QTimer::timeout, this, [this] { WatchTray(); });
    m_trayWatch->start();
    WatchTray();
}

void CMainFrame::WatchTray() {
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available == static_cast<bool>(m_tray)) return;
    if (!available) {
        // The tray went away: a window hidden in it comes back to the task bar.
        m_tray.reset();
        if (isHidden()) showMinimized();
        return;
    }
    m_tray = std::make_unique<QSystemTrayIcon>(StampwellIcon());
    m_tray->setToolTip(QStringLiteral("Stampwell"));
    m_tray->setContextMenu(m_trayMenu.get());
    connect(m_tray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { OnTrayActivated(reason); });
    m_tray->show();
}

CMainFrame::~CMainFrame() {
    if (m_tray) m_tray->hide();
}

void CMainFrame::BuildMenu(int mode) {
    struct Item {
        int command;
        const char* text;
        bool enabled;
    };
    // The administrator screens are not part of this build yet: their commands stay disabled.
    const std::vector<std::pair<const char*, std::vector<Item>>> menus = {
        {"ファイル",
         {{kEnvironment, "環境設定(&S)", false},
          {kWorkRules, "勤務ルール設定(&R)", false},
          {kExport, "エクスポート(&F)", false},
          {0, nullptr, false},
          {kQuit, "アプリケーション終了(&X)", true}}},
        {"設定",
         {{kUsers, "ユーザー情報", false},
          {kAdmins, "管理者情報(&M)", false},
          {kMail, "送信メール情報", false},
          {kLeave, "有給休暇(&V)", false},
          {kSchedule, "勤務カレンダー(&K)", false}}},
        {"ツール",
         {{kChime, "チャイム機能(&C)", true},
          {kEditRecords, mode == kRoomMode ? "入退室編集(&E)" : "出退勤編集(&E)", false},
          {kLimits, "時間外労働の上限(&L)", false}}},
        {"ヘルプ",
         {{kGuide, "使い方(&H)", true}, {kVersion, "バージョン情報 Stampwell(&A)", true}}},
    };
    for (const auto& [title, items] : menus) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(title));
        for (const auto& item : items) {
            if (item.text == nullptr) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(item.text));
            action->setEnabled(item.enabled);
            m_commands[item.command] = action;
        }
    }
    connect(m_commands[kQuit], &QAction::triggered, this, &QWidget::close);
}

void CMainFrame::ShowScreen(QWidget* screen) {
    setCentralWidget(screen);
    screen->show();
    adjustSize();
    setFixedSize(sizeHint());
}

void CMainFrame::SetCommandHandler(int command, std::function<void()> handler) {
    QAction* action = Command(command);
    if (action == nullptr) return;
    connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
}

QAction* CMainFrame::Command(int command) const {
    auto found = m_commands.find(command);
    return found == m_commands.end() ? nullptr : found->second;
}

void CMainFrame::OnTrayActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) RestoreFromTray();
}

void CMainFrame::RestoreFromTray() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    showNormal();
    raise();
    activateWindow();
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Minimised, the window lives in the tray; without a tray it stays in the task bar.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_tray) {
        QTimer::singleShot(0, this, [this] { hide(); });
    }
}

}  // namespace stampwell
