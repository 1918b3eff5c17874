#include "people/AdminModifyDialog.h"

#include <QListWidget>
#include <QPushButton>

#include "admin_ui/DialogParts.h"
#include "controller/RecorderController.h"
#include "people/AdminAddDialog.h"
#include "personnel/AdminListForm.h"
#include "store/IAdminStore.h"

namespace stampwell {

CAdminModifyDialog::CAdminModifyDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("管理者"));
    m_parts = AddListWithButtons(*this, "管理者:");
    m_list = m_parts.list;
    connect(m_parts.add, &QPushButton::clicked, this, [this] { OnNew(); });
    connect(m_parts.change, &QPushButton::clicked, this, [this] { OnChange(); });
    connect(m_parts.remove, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(m_parts.close, &QPushButton::clicked, this, [this] { OnClose(); });
    SetDialogUnitsWidth(*this, 180);
    m_runAddDialog = [](CAdminAddDialog& dialog) { return dialog.Run(); };
}

CAdminModifyDialog::~CAdminModifyDialog() = default;

int CAdminModifyDialog::Run() {
    Prepare();
    return exec();
}

void CAdminModifyDialog::Prepare() {
    m_form = std::make_unique<CAdminListForm>(*m_controller.GetAdminStore(), m_controller.Prompt());
    m_quitRequested = false;
    FillList({});  // no entry is selected
}

void CAdminModifyDialog::FillList(const std::string& selected) {
    FillNames(m_parts, m_form->Ids(), selected);
}

std::string CAdminModifyDialog::SelectedId() const {
    return SelectedText(*m_list);
}

void CAdminModifyDialog::OnNew() {
    if (!m_form || !m_form->MayAdd()) return;
    CAdminAddDialog dialog(m_controller, this);
    dialog.SetChangeMode(false);
    if (m_runAddDialog(dialog) == Accepted) FillList(m_controller.GetAdminStore()->GetId());
}

void CAdminModifyDialog::OnChange() {
    const std::string id = SelectedId();
    if (!m_form || id.empty()) return;
    CAdminAddDialog dialog(m_controller, this);
    m_controller.GetAdminStore()->SetPreviousId(id);
    dialog.SetChangeMode(true);
    if (m_runAddDialog(dialog) == Accepted) FillList(m_controller.GetAdminStore()->GetId());
}

void CAdminModifyDialog::OnDelete() {
    const std::string id = SelectedId();
    if (!m_form || id.empty()) return;
    if (m_form->Delete(id)) FillList({});
}

void CAdminModifyDialog::EndRun(int result) {
    switch (m_form ? m_form->Close() : CAdminListForm::kClose) {
        case CAdminListForm::kClose:
            QDialog::done(result);
            break;
        case CAdminListForm::kQuitProgram:
            // The caller ends the program once the modal run is over.
            m_quitRequested = true;
            QDialog::done(Rejected);
            break;
        case CAdminListForm::kStay:
            break;
    }
}

void CAdminModifyDialog::OnClose() {
    EndRun(Accepted);
}

void CAdminModifyDialog::reject() {
    EndRun(Rejected);
}

}  // namespace stampwell
