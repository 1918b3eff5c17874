#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

class QLabel;
class QLineEdit;

namespace stampwell {

class CRecorderController;
class CUserCardCapture;
class CUserForm;

// "新規ユーザー登録" / "ユーザー情報変更": the name, the card captured from the reader, and the
// optional mail recipient.
class CUserRegisterDialog : public QDialog {
public:
    CUserRegisterDialog(CRecorderController& controller, QWidget* parent);
    ~CUserRegisterDialog() override;

    // In change mode the caller has set the register's working and previous name.
    void SetChangeMode(bool change) { m_changeMode = change; }
    int Run();
    void Prepare();
    void OnTimer();
    void OnOk();
    bool IsPolling() const { return m_poll.isActive(); }
    std::string CapturedCard() const;
    void done(int result) override;

    QLineEdit& NameField() const { return *m_name; }
    QLineEdit& CardState() const { return *m_cardState; }
    QLineEdit& MailNameField() const { return *m_mailName; }
    QLineEdit& MailAddressField() const { return *m_mailAddress; }
    QLabel& Instruction() const { return *m_instruction; }

private:
    void ShowCardState();

    CRecorderController& m_controller;
    bool m_changeMode = false;
    bool m_running = false;
    std::unique_ptr<CUserForm> m_form;
    std::unique_ptr<CUserCardCapture> m_capture;
    QTimer m_poll;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_cardState = nullptr;
    QLineEdit* m_mailName = nullptr;
    QLineEdit* m_mailAddress = nullptr;
    QLabel* m_instruction = nullptr;
};

}  // namespace stampwell
