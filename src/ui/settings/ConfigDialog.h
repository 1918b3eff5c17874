#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "settings/StoreChoice.h"
#include "setup/ConfigForm.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QPushButton;

namespace stampwell {

class CDialogFileWork;
class CRecorderController;

// "環境設定": the hours and the paths of Setting.txt, and where the records are kept (the shared
// folder, or the company database with this clock's site: Store.txt). Modeless; it edits the
// controller's one settings object, which the screen, the register and the work file read, so OK
// changes what they see at once, once the file holds the new values.
class CConfigDialog : public QDialog {
public:
    enum EPath { kRegisterPath, kWorkPath, kBackupPath };
    // Asks for a file (which may not exist yet); nothing when the user cancels.
    using Chooser = std::function<std::optional<QString>(EPath which, const QString& current)>;

    CConfigDialog(CRecorderController& controller, QWidget* parent);
    ~CConfigDialog() override;

    // Fills the fields from the settings and shows the window.
    void Open();
    void OnOk();
    void OnBrowse(EPath which);
    // Cancel, Esc and the close box: the fields go back to the settings.
    void reject() override;
    void SetChooser(Chooser chooser) { m_chooser = std::move(chooser); }

    QLineEdit& DayChangeField() const { return *m_dayChange; }
    QLineEdit& SwitchField() const { return *m_switch; }
    QLineEdit& PathField(EPath which) const { return *m_paths.at(which); }
    QPushButton& BrowseButton(EPath which) const { return *m_browse.at(which); }
    QCheckBox& BackupBox() const { return *m_backup; }
    QRadioButton& DatabaseChoice() const { return *m_database; }
    QRadioButton& FolderChoice() const { return *m_folder; }
    QLineEdit& DatabaseField() const { return *m_conninfo; }
    QLineEdit& SiteField() const { return *m_site; }
    // Steps an hour field by one inside its range (the up-down control).
    void StepHour(QLineEdit& field, int maxHour, int step);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();

    CRecorderController& m_controller;
    std::unique_ptr<CDialogFileWork> m_files;
    Chooser m_chooser;
    QLineEdit* m_dayChange = nullptr;
    QLineEdit* m_switch = nullptr;
    std::array<QLineEdit*, 3> m_paths{};
    std::array<QPushButton*, 3> m_browse{};
    QCheckBox* m_backup = nullptr;
    QRadioButton* m_folder = nullptr;
    QRadioButton* m_database = nullptr;
    QLineEdit* m_conninfo = nullptr;
    QLineEdit* m_site = nullptr;
    std::optional<CStoreChoice> m_shownStore;  // nothing when Store.txt could not be read
    std::map<QObject*, int> m_hourRanges;      // each hour field and its highest hour
    CConfigForm::Values m_shown;               // what the window was filled with
};

}  // namespace stampwell
