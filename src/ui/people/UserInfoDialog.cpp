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
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("ユーザー情報"));
    m_parts = AddListWithButtons(*this, "登録ユーザー:");
    m_list = m_parts.list;
    // Sorted once by the core: thousands of names fill in one go.
    m_list->setUniformItemSizes(true);
    connect(m_parts.add, &QPushButton::clicked, this, [this] { OnNew(); });
    connect(m_parts.change, &QPushButton::clicked, this, [this] { OnChange(); });
    connect(m_parts.remove, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(m_parts.close, &QPushButton::clicked, this, [this] { accept(); });
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
    // On opening the first employee is selected, visibly.
    const auto names = m_form->Names();
    FillNames(m_parts, names, names.empty() ? std::string{} : names.front());
}

void CUserInfoDialog::FillList(const std::string& selected) {
    FillNames(m_parts, m_form->Names(), selected);
}

std::string CUserInfoDialog::SelectedName() const {
    return SelectedText(*m_list);
}

void CUserInfoDialog::OnNew() {
    if (!m_form) return;
    CUserRegisterDialog dialog(m_controller, this);
    dialog.SetChangeMode(false);
    // The one just added is selected and shown.
    if (m_runRegisterDialog(dialog) == Accepted) FillList(m_controller.GetRegister()->GetName());
}

void CUserInfoDialog::OnChange() {
    const std::string name = SelectedName();
    if (!m_form || name.empty()) return;
    CUserRegisterDialog dialog(m_controller, this);
    dialog.SetChangeMode(true);
    m_controller.GetRegister()->SetName(name);
    m_controller.GetRegister()->SetPreviousName(name);
    if (m_runRegisterDialog(dialog) == Accepted) FillList(m_controller.GetRegister()->GetName());
}

void CUserInfoDialog::OnDelete() {
    const std::string name = SelectedName();
    if (!m_form || name.empty()) return;
    // After a delete nothing is selected: the next delete needs a new choice.
    if (m_form->Delete(name)) FillList({});
}

}  // namespace stampwell
