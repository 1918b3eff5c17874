#pragma once

#include <functional>

class QBoxLayout;
class QDialog;
class QFrame;
class QListWidget;
class QPushButton;
class QWidget;

namespace stampwell {

// The etched line across a dialog.
QFrame* Separator(QWidget* parent);
// Dialog sizes follow the dialog units of the original forms: 1 DLU = 1.5 px across.
void SetDialogUnitsWidth(QDialog& dialog, int dialogUnits);
// The row of OK (the default button, calling onOk) and cancel (rejecting the dialog) at the
// bottom of layout; returns the OK button.
QPushButton* AddOkCancel(QDialog& dialog, QBoxLayout& layout, std::function<void()> onOk,
                         const char* okText = "OK", const char* cancelText = "キャンセル");

// A list of names with 新規登録, 変更, 削除 and 閉じる beside it, as the administrator and
// employee lists have.
struct ListButtons {
    QListWidget* list = nullptr;
    QPushButton* add = nullptr;
    QPushButton* change = nullptr;
    QPushButton* remove = nullptr;
    QPushButton* close = nullptr;
};
ListButtons AddListWithButtons(QDialog& dialog, const char* label);

}  // namespace stampwell
