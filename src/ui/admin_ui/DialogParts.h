#pragma once

#include <Qt>
#include <functional>
#include <string>
#include <vector>

class QBoxLayout;
class QDialog;
class QFrame;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace stampwell {

class CRuntime;

// Where a file the office takes away (an export, a 出勤簿 PDF) is offered to go: the last folder
// chosen for one (ExportSetting.txt), else the user's documents folder (XDG), else home; never
// the hidden data folder.
std::string OutputFolder(const CRuntime& runtime);
// Remembers the folder of a file written for the office, for the next time.
void RememberOutputFolder(const CRuntime& runtime, const std::string& folder);

// A dialog's frame: a title and a close box, never minimise or maximise buttons.
Qt::WindowFlags DialogFlags();
// A field that only shows a state or a path chosen elsewhere: read-only, and looking so.
void LookReadOnly(QLineEdit& field);
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
// Fills the list with names and selects (and shows) the one given, or none; 変更 and 削除 are
// enabled only while a row is selected, so they never act on a row nobody chose.
void FillNames(const ListButtons& parts, const std::vector<std::string>& names,
               const std::string& selected);
// The selected row's text (empty without a selection; a current row alone does not count).
std::string SelectedText(const QListWidget& list);

}  // namespace stampwell
