#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "admin_ui/DialogParts.h"

class QListWidget;
class QPushButton;

namespace stampwell {

class CDialogFileWork;
class CRecorderController;
class IPeopleStore;
class CUserListForm;
class CUserRegisterDialog;

// "ユーザー情報": the employee names in Japanese order with 新規登録, 変更, 削除 and 閉じる.
// Created anew for each menu command. 変更 and 削除 act on the selected row only. The register
// (maybe on a share) is read and written off the window's thread.
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
    void FillList(const std::string& selected);
    // The names as the register has them now; false when the administrator stopped waiting
    // (the dialog then closes).
    bool ReadNames(std::vector<std::string>& names);
    std::string SelectedName() const;

    CRecorderController& m_controller;
    bool m_abandoned = false;
    std::unique_ptr<CDialogFileWork> m_files;
    std::shared_ptr<IPeopleStore> m_register;
    std::shared_ptr<CUserListForm> m_form;
    std::function<int(CUserRegisterDialog&)> m_runRegisterDialog;
    ListButtons m_parts;
    QListWidget* m_list = nullptr;
};

}  // namespace stampwell
