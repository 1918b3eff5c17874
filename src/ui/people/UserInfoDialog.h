#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class QListWidget;
class QPushButton;

namespace stampwell {

class CRecorderController;
class CUserListForm;
class CUserRegisterDialog;

// "ユーザー情報": the sorted employee names with 新規登録, 変更, 削除 and 閉じる. Created anew for
// each menu command.
class CUserInfoDialog : public QDialog {
public:
    CUserInfoDialog(CRecorderController& controller, QWidget* parent);
    ~CUserInfoDialog() override;

    int Run();
    void Prepare();
    void OnNew();
    void OnChange();
    void OnDelete();
    void SetRegisterDialogRunner(std::function<int(CUserRegisterDialog&)> runner) {
        m_runRegisterDialog = std::move(runner);
    }
    QListWidget& List() const { return *m_list; }

private:
    void FillList();
    std::string SelectedName() const;

    CRecorderController& m_controller;
    std::unique_ptr<CUserListForm> m_form;
    std::function<int(CUserRegisterDialog&)> m_runRegisterDialog;
    QListWidget* m_list = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_delete = nullptr;
};

}  // namespace stampwell
