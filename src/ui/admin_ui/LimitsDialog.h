#pragma once

#include <QDialog>
#include <memory>

#include "settings/WorkRules.h"

class QComboBox;
class QLabel;
class QSpinBox;
class QTableWidget;

namespace stampwell {

class CRecorderController;
class IWorkStore;

// "時間外労働の上限（36協定）": the agreement year per employee, as `stampwell-cli limits` prints
// it, with the limits passed in red. Read-only; the figures come from the core.
class CLimitsDialog : public QDialog {
public:
    CLimitsDialog(CRecorderController& controller, QWidget* parent);
    ~CLimitsDialog() override;

    int Run();
    // Reads the rules (off the window's thread), fills the year (the agreement year of today)
    // and shows it. False after its message when the rules could not be read.
    bool Prepare();
    // Reads the year and closing day chosen and fills the table.
    void Refresh();

    QSpinBox& Year() const { return *m_year; }
    QComboBox& Closing() const { return *m_closing; }
    QTableWidget& Table() const { return *m_table; }
    QLabel& Note() const { return *m_note; }
    QLabel& Summary() const { return *m_summary; }

private:
    CRecorderController& m_controller;
    std::shared_ptr<IWorkStore> m_work;
    CWorkRules m_rules;
    QSpinBox* m_year = nullptr;
    QComboBox* m_closing = nullptr;
    QLabel* m_start = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_note = nullptr;
    QLabel* m_summary = nullptr;
};

}  // namespace stampwell
