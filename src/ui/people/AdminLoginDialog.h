#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <memory>

class QLineEdit;

namespace stampwell {

class CAdminLoginSession;
class CShareWait;
class CRecorderController;

// "管理者認証": the ID and password, or an administrator card on the reader, within the waiting
// time of Timer.txt. Created once and run again for every login; each run starts empty.
class CAdminLoginDialog : public QDialog {
public:
    enum ETimer { kPollTimer = 0, kTimeoutTimer = 1 };

    CAdminLoginDialog(CRecorderController& controller, QWidget* parent);
    ~CAdminLoginDialog() override;

    // Prepare, then the modal run: Accepted when an administrator has logged in.
    int Run();
    // Empty fields, a fresh session, both timers started.
    void Prepare();
    // What each timer does when it fires (the tests tick them).
    void OnTimer(int id);
    void OnOk();
    bool IsTimerActive(int id) const { return m_timers.at(id).isActive(); }
    int TimeoutMilliseconds() const { return m_timeoutMs; }
    QLineEdit& IdField() const { return *m_id; }
    QLineEdit& PasswordField() const { return *m_password; }
    // Every way out stops both timers.
    void done(int result) override;

private:
    CRecorderController& m_controller;
    // The checks of a login run here: the administrators may be on a server that hangs.
    std::unique_ptr<CShareWait> m_wait;
    std::unique_ptr<CAdminLoginSession> m_session;
    std::array<QTimer, 2> m_timers;
    int m_timeoutMs = 60000;
    bool m_running = false;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_password = nullptr;
};

}  // namespace stampwell
