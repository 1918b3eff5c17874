#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;

namespace stampwell {

class CDialogFileWork;
class CRecorderController;
class IPeopleStore;
class CUserCardCapture;
class CUserForm;

// "新規ユーザー登録" / "ユーザー情報変更": the name, the card captured from the reader, and the
// optional mail recipient. The register (maybe on a share) is read and written off the window's
// thread, on a copy of the controller's register object that only this dialog's jobs use.
class CUserRegisterDialog : public QDialog {
public:
    CUserRegisterDialog(CRecorderController& controller, QWidget* parent);
    ~CUserRegisterDialog() override;

    void SetChangeMode(bool change) { m_changeMode = change; }
    // Change mode for that person.
    void SetPerson(const std::string& name);
    // The name the person was saved under (after 登録).
    std::string SavedName() const;
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
    bool m_abandoned = false;
    bool m_changeMode = false;
    bool m_running = false;
    std::unique_ptr<CDialogFileWork> m_files;
    std::shared_ptr<IPeopleStore> m_register;
    std::shared_ptr<CUserForm> m_form;
    std::shared_ptr<CUserCardCapture> m_capture;
    QTimer m_poll;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_cardState = nullptr;
    QLineEdit* m_mailName = nullptr;
    QLineEdit* m_mailAddress = nullptr;
    QLabel* m_instruction = nullptr;
};

}  // namespace stampwell
