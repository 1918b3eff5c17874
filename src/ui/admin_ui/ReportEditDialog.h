#pragma once

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace stampwell {

class CMonthSheetModel;
class CRecorderController;
class CReportEditSession;
class CTimeGrid;
class CWorkReport;

// "出退勤編集" / "入退室編集": one employee's month in the time grid, corrected cell by cell and
// saved back. Created once and run again; each run starts from the clock's month.
class CReportEditDialog : public QDialog {
public:
    CReportEditDialog(CRecorderController& controller, QWidget* parent);
    ~CReportEditDialog() override;

    int Run();
    void Prepare();
    void OnSave();
    // 閉じる, Esc and the close box: unsaved changes are asked about first.
    void reject() override;

    QComboBox& Users() const { return *m_users; }
    QSpinBox& Year() const { return *m_year; }
    QComboBox& Month() const { return *m_month; }
    CTimeGrid& Grid() const { return *m_grid; }
    CReportEditSession& Session() const { return *m_session; }
    QLineEdit& Reason() const { return *m_reason; }
    QLabel& Totals() const { return *m_totals; }

private:
    void OnSelectionChanged();
    void ShowSelection();
    void Refresh();

    CRecorderController& m_controller;
    int m_mode;
    std::unique_ptr<CWorkReport> m_work;
    std::unique_ptr<CReportEditSession> m_session;
    CMonthSheetModel* m_model = nullptr;
    QComboBox* m_users = nullptr;
    QSpinBox* m_year = nullptr;
    QComboBox* m_month = nullptr;
    CTimeGrid* m_grid = nullptr;
    QLineEdit* m_reason = nullptr;
    QLabel* m_totals = nullptr;
};

}  // namespace stampwell
