#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace stampwell {

class CAdminForm;
class CCardRegisterDialog;
class CRecorderController;

// "管理者登録" / "管理者変更": ID, password with its confirmation, and the login card. The card
// being edited is the administrator store's working card.
class CAdminAddDialog : public QDialog {
public:
    CAdminAddDialog(CRecorderController& controller, QWidget* parent);
    ~CAdminAddDialog() override;

    // In change mode the caller has set the store's previous ID.
    void SetChangeMode(bool change) { m_changeMode = change; }
    int Run();
    void Prepare();
    void OnRegisterCard();
    void OnClearCard();
    void OnOk();
    // How the card dialog is run (tests answer it without a modal loop).
    void SetCardDialogRunner(std::function<int(CCardRegisterDialog&)> runner) {
        m_runCardDialog = std::move(runner);
    }

    QLineEdit& IdField() const { return *m_id; }
    QLineEdit& PasswordField() const { return *m_password; }
    QLineEdit& ConfirmField() const { return *m_confirm; }
    QLabel& CardState() const { return *m_cardState; }
    QPushButton& RegisterCardButton() const { return *m_registerCard; }
    QPushButton& ClearCardButton() const { return *m_clearCard; }

private:
    void ShowCardState();

    CRecorderController& m_controller;
    bool m_changeMode = false;
    std::unique_ptr<CAdminForm> m_form;
    std::function<int(CCardRegisterDialog&)> m_runCardDialog;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_confirm = nullptr;
    QLabel* m_cardState = nullptr;
    QPushButton* m_registerCard = nullptr;
    QPushButton* m_clearCard = nullptr;
};

}  // namespace stampwell
