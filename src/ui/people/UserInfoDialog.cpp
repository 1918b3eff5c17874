#include "people/UserInfoDialog.h"

#include <QListWidget>
#include <QPushButton>

#include "admin_ui/DialogParts.h"
#include "controller/RecorderController.h"
#include "people/RegisterFile.h"
#include "people/UserListForm.h"
#include "people/UserRegisterDialog.h"

namespace stampwell {

CUserInfoDialog::CUserInfoDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("ユーザー情報"));
    ListButtons parts = AddListWithButtons(*this, "登録ユーザー:");
    m_list = parts.list;
    // Sorted once by the core: thousands of names fill in one go.
    m_list->setUniformItemSizes(true);
    m_change = parts.change;
    m_delete = parts.remove;
    connect(parts.add, &QPushButton::clicked, this, [this] { OnNew(); });
    connect(m_change, &QPushButton::clicked, this, [this] { OnChange(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(parts.close, &QPushButton::clicked, this, [this] { accept(); });
    SetDialogUnitsWidth(*this, 200);
    setMinimumHeight(300);
    m_runRegisterDialog = [](CUserRegisterDialog& dialog) { return dialog.Run(); };
}

CUserInfoDialog::~CUserInfoDialog() = default;

int CUserInfoDialog::Run() {
    Prepare();
    return exec();
}

void CUserInfoDialog::Prepare() {
    m_form = std::make_unique<CUserListForm>(*m_controller.GetRegister(), m_controller.Prompt());
    FillList();
    if (m_list->count() > 0) m_list->setCurrentRow(0);
}

void CUserInfoDialog::FillList() {
    m_list->clear();
    QStringList names;
    for (const auto& name : m_form->Names()) names << QString::fromStdString(name);
    m_list->addItems(names);
    const bool any = m_list->count() > 0;
    m_change->setEnabled(any);
    m_delete->setEnabled(any);
}

std::string CUserInfoDialog::SelectedName() const {
    QListWidgetItem* item = m_list->currentItem();
    return item == nullptr ? std::string{} : item->text().toStdString();
}

void CUserInfoDialog::OnNew() {
    if (!m_form) return;
    CUserRegisterDialog dialog(m_controller, this);
    dialog.SetChangeMode(false);
    if (m_runRegisterDialog(dialog) == Accepted) FillList();
}

void CUserInfoDialog::OnChange() {
    const std::string name = SelectedName();
    if (!m_form || name.empty()) return;
    CUserRegisterDialog dialog(m_controller, this);
    dialog.SetChangeMode(true);
    m_controller.GetRegister()->SetName(name);
    m_controller.GetRegister()->SetPreviousName(name);
    if (m_runRegisterDialog(dialog) == Accepted) FillList();
}

void CUserInfoDialog::OnDelete() {
    const std::string name = SelectedName();
    if (!m_form || name.empty()) return;
    if (m_form->Delete(name)) FillList();
}

}  // namespace stampwell
