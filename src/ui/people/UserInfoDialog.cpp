#include "people/UserInfoDialog.h"

#include <QListWidget>
#include <QPushButton>

#include "admin_ui/DialogFileWork.h"
#include "admin_ui/DialogParts.h"
#include "controller/RecorderController.h"
#include "people/UserRegisterDialog.h"
#include "personnel/UserListForm.h"
#include "store/IPeopleStore.h"

namespace stampwell {

CUserInfoDialog::CUserInfoDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()),
      m_controller(controller),
      m_files(std::make_unique<CDialogFileWork>(this, controller.Prompt())) {
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
    // Not shown when the administrator stopped waiting for the register while it opened.
    return m_abandoned ? Rejected : exec();
}

void CUserInfoDialog::Prepare() {
    m_register = m_controller.GetRegister()->Clone();
    m_form = std::make_shared<CUserListForm>(*m_register, *m_files->Prompt());
    // On opening the first employee is selected, visibly.
    std::vector<std::string> names;
    if (!ReadNames(names)) return;
    FillNames(m_parts, names, names.empty() ? std::string{} : names.front());
}

bool CUserInfoDialog::ReadNames(std::vector<std::string>& names) {
    auto read = std::make_shared<std::vector<std::string>>();
    if (!m_files->Run([form = m_form, reg = m_register, read] { *read = form->Names(); },
                      "登録者ファイルの場所")) {
        m_abandoned = true;
        reject();
        return false;
    }
    names = std::move(*read);
    return true;
}

void CUserInfoDialog::FillList(const std::string& selected) {
    std::vector<std::string> names;
    if (ReadNames(names)) FillNames(m_parts, names, selected);
}

std::string CUserInfoDialog::SelectedName() const {
    return SelectedText(*m_list);
}

void CUserInfoDialog::OnNew() {
    if (!m_form) return;
    CUserRegisterDialog dialog(m_controller, this);
    dialog.SetChangeMode(false);
    // The one just added is selected and shown.
    if (m_runRegisterDialog(dialog) == Accepted) FillList(dialog.SavedName());
}

void CUserInfoDialog::OnChange() {
    const std::string name = SelectedName();
    if (!m_form || name.empty()) return;
    CUserRegisterDialog dialog(m_controller, this);
    dialog.SetPerson(name);
    if (m_runRegisterDialog(dialog) == Accepted) FillList(dialog.SavedName());
}

void CUserInfoDialog::OnDelete() {
    const std::string name = SelectedName();
    if (!m_form || name.empty()) return;
    // After a delete nothing is selected: the next delete needs a new choice.
    auto deleted = std::make_shared<bool>(false);
    if (!m_files->Run([form = m_form, reg = m_register, name, deleted,
                       prompt = m_files->Prompt()] { *deleted = form->Delete(name); },
                      "登録者ファイルの場所")) {
        m_abandoned = true;
        reject();
        return;
    }
    if (*deleted) FillList({});
}

}  // namespace stampwell
