#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "leave/LeaveBook.h"
#include "reporting/Timesheet.h"

class QComboBox;
class QPrinter;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace stampwell {

class CShareWait;

class CMonthSheetModel;
class CRecorderController;
class CReportEditSession;
class CTimeGrid;
class IWorkStore;

// "出退勤編集" / "入退室編集": one employee's month in the time grid, corrected cell by cell and
// saved back. Created once and run again; each run starts from the clock's month.
class CReportEditDialog : public QDialog {
public:
    CReportEditDialog(CRecorderController& controller, QWidget* parent);
    ~CReportEditDialog() override;

    int Run();
    void Prepare();
    void OnSave();
    // The wait for the file work of the shown month (for the tests).
    CShareWait& ShareWait() const { return *m_shareWait; }
    // 印刷… and PDF保存…: the 出勤簿 of the shown employee, or of everyone, for the month.
    void OnPrint();
    void OnSavePdf();
    // How the print dialog and the file chooser are run (tests answer them).
    void SetPrintRunner(std::function<bool(QPrinter&)> runner) {
        m_printRunner = std::move(runner);
    }
    void SetPdfChooser(std::function<QString(const QString&)> chooser) {
        m_pdfChooser = std::move(chooser);
    }
    // 閉じる, Esc and the close box: unsaved changes are asked about first.
    void reject() override;

    QComboBox& Users() const { return *m_users; }
    QSpinBox& Year() const { return *m_year; }
    QComboBox& Month() const { return *m_month; }
    CTimeGrid& Grid() const { return *m_grid; }
    CReportEditSession& Session() const { return *m_session; }
    QLineEdit& Reason() const { return *m_reason; }
    QLabel& Totals() const { return *m_totals; }
    // 締める and 締め解除 of the pay period closing at the day chosen in ClosingDay (the reason
    // for reopening is the one typed in 修正理由).
    QComboBox& ClosingDay() const { return *m_closingDay; }
    QLabel& ClosedLabel() const { return *m_closed; }
    void OnCloseMonth();
    void OnReopenMonth();

private:
    void OnSelectionChanged();
    void ShowSelection();
    void Refresh();
    bool CollectTimesheet(std::vector<CTimesheet::Page>& pages);
    std::string MadeAt() const;

    CRecorderController& m_controller;
    int m_mode;
    std::shared_ptr<IWorkStore> m_work;
    std::unique_ptr<CReportEditSession> m_session;
    std::unique_ptr<CShareWait> m_shareWait;
    CMonthSheetModel* m_model = nullptr;
    QComboBox* m_users = nullptr;
    QSpinBox* m_year = nullptr;
    QComboBox* m_month = nullptr;
    CTimeGrid* m_grid = nullptr;
    QLineEdit* m_reason = nullptr;
    QLabel* m_totals = nullptr;
    QComboBox* m_closingDay = nullptr;
    QLabel* m_closed = nullptr;
    std::function<bool(QPrinter&)> m_printRunner;
    CLeaveBook m_leave;      // the shown person's paid leave
    std::string m_leaveKey;  // whose and which month it was read for
    std::function<QString(const QString&)> m_pdfChooser;
};

}  // namespace stampwell
