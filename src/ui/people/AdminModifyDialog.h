#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "admin_ui/DialogParts.h"

class QListWidget;
class QPushButton;

namespace stampwell {

class CAdminAddDialog;
class CAdminListForm;
class CRecorderController;

// "管理者": the administrator IDs in Japanese order with 新規登録, 変更, 削除 and 閉じる; 変更
// and 削除 act on the selected row only. Created once and run
// again for every use; also the first-run screen when no administrator exists.
class CAdminModifyDialog : public QDialog {
public:
    CAdminModifyDialog(CRecorderController& controller, QWidget* parent);
    ~CAdminModifyDialog() override;

    int Run();
    void Prepare();
    void OnNew();
    void OnChange();
    void OnDelete();
    void OnClose();
    // The close box and Esc: the same question as 閉じる when no administrator is left.
    void reject() override;
    // Whether the user chose to end the program on closing an empty list.
    bool IsQuitRequested() const { return m_quitRequested; }
    void SetAddDialogRunner(std::function<int(CAdminAddDialog&)> runner) {
        m_runAddDialog = std::move(runner);
    }
    QListWidget& List() const { return *m_list; }

private:
    void FillList(const std::string& selected);
    std::string SelectedId() const;
    // Closing: ends the run, or asks to end the program when no administrator is left.
    void EndRun(int result);

    CRecorderController& m_controller;
    std::unique_ptr<CAdminListForm> m_form;
    std::function<int(CAdminAddDialog&)> m_runAddDialog;
    bool m_quitRequested = false;
    ListButtons m_parts;
    QListWidget* m_list = nullptr;
};

}  // namespace stampwell
