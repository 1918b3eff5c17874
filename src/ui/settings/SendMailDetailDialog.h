#pragma once

#include <QDialog>

#include "mail/MailSettings.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace stampwell {

class CRecorderController;

// "メール送信詳細設定": the SMTP server of SendMailDetail.txt, saved on its own OK, and a test
// mail over the values on screen.
class CSendMailDetailDialog : public QDialog {
public:
    CSendMailDetailDialog(CRecorderController& controller, QWidget* parent);
    ~CSendMailDetailDialog() override;

    int Run();
    void Prepare();
    void OnOk();
    // Sends one mail in the background to the address in the test box; the outcome is shown
    // when it is known. False when no address was typed or a test is still running.
    bool OnTestSend();
    bool IsTestRunning() const { return m_testRunning; }

    QLineEdit& ServerName() const { return *m_server; }
    QLineEdit& Port() const { return *m_port; }
    QCheckBox& Authentication() const { return *m_auth; }
    QLineEdit& UserId() const { return *m_id; }
    QLineEdit& Password() const { return *m_password; }
    QLineEdit& TestAddress() const { return *m_testAddress; }
    QPushButton& TestButton() const { return *m_test; }

private:
    CMailSettings Collect() const;

    CRecorderController& m_controller;
    bool m_testRunning = false;
    QLineEdit* m_server = nullptr;
    QLineEdit* m_port = nullptr;
    QCheckBox* m_auth = nullptr;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_testAddress = nullptr;
    QPushButton* m_test = nullptr;
    CMailSettings m_shown;  // what the window was filled with
};

}  // namespace stampwell
