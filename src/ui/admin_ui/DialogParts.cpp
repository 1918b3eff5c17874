#include "admin_ui/DialogParts.h"

#include <QDialog>
#include <QFrame>

namespace stampwell {

QFrame* Separator(QWidget* parent) {
    auto* line = new QFrame(parent);  // owned by the parent
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

void SetDialogUnitsWidth(QDialog& dialog, int dialogUnits) {
    dialog.setMinimumWidth(dialogUnits * 3 / 2);
}

}  // namespace stampwell
