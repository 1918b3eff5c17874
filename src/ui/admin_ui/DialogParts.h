#pragma once

class QDialog;
class QFrame;
class QWidget;

namespace stampwell {

// The etched line across a dialog.
QFrame* Separator(QWidget* parent);
// Dialog sizes follow the dialog units of the original forms: 1 DLU = 1.5 px across.
void SetDialogUnitsWidth(QDialog& dialog, int dialogUnits);

}  // namespace stampwell
