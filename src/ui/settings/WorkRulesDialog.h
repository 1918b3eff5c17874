#pragma once

#include <QDialog>

#include "settings/WorkRules.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace stampwell {

class CDateField;
class CRecorderController;

// "勤務ルール設定": how breaks are taken, the day a week starts and the statutory rest day, as the
// payroll figures of the record edit screen and the report use them (WorkRules.txt). Created
// once and run again; each run shows the file as it is then.
class CWorkRulesDialog : public QDialog {
public:
    CWorkRulesDialog(CRecorderController& controller, QWidget* parent);

    int Run();
    // Fills the fields from the stored rules (read off the window's thread). False after its
    // message when they could not be read: the window then does not open.
    bool Prepare();
    // Saves and closes; a value that does not read keeps the window open after its message.
    bool OnOk();

    QRadioButton& LegalBreaks() const { return *m_legal; }
    QRadioButton& FixedBreaks() const { return *m_fixed; }
    QLineEdit& Windows() const { return *m_windows; }
    QComboBox& WeekStart() const { return *m_weekStart; }
    QComboBox& RestDay() const { return *m_restDay; }
    QComboBox& WeekHours() const { return *m_weekHours; }
    QComboBox& AgreementStart() const { return *m_agreementStart; }
    QComboBox& SpecialClause() const { return *m_specialClause; }
    QComboBox& Rounding() const { return *m_rounding; }
    // The day the change takes effect from (today when opened).
    CDateField& From() const { return *m_from; }

private:
    void ShowBreakKind();

    CRecorderController& m_controller;
    CWorkRules m_shown;  // what the window was filled with
    QRadioButton* m_legal = nullptr;
    QRadioButton* m_fixed = nullptr;
    QLineEdit* m_windows = nullptr;
    QComboBox* m_weekStart = nullptr;
    QComboBox* m_restDay = nullptr;
    QComboBox* m_weekHours = nullptr;
    QComboBox* m_agreementStart = nullptr;
    QComboBox* m_specialClause = nullptr;
    QComboBox* m_rounding = nullptr;
    CDateField* m_from = nullptr;
    QLabel* m_note = nullptr;
};

}  // namespace stampwell
