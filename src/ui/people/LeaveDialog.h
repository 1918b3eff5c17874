#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "leave/LeaveLedger.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace stampwell {

class CDateField;

class CRecorderController;

// "有給休暇": one employee's hire date and days a week, the ledger of grants (年次有給休暇管理簿)
// with the 5-day duty in red where it is at risk, a grant withheld for attendance under 80 % (or
// granted after all), and the days taken with 取得 and 取消. Every change goes through the core's
// checks under the file's lock; a refusal is said.
class CLeaveDialog : public QDialog {
public:
    CLeaveDialog(CRecorderController& controller, QWidget* parent);

    int Run();
    void Prepare();
    // Shows the chosen employee as the file holds it now.
    void Refresh();
    void OnSetEmployee();
    void OnTake();
    void OnCancel();
    // The chosen grant is withheld, or when it is, granted after all (asked first).
    void OnWithhold();

    QComboBox& Users() const { return *m_users; }
    CDateField& Hired() const { return *m_hired; }
    QComboBox& DaysPerWeek() const { return *m_daysPerWeek; }
    QTableWidget& Grants() const { return *m_grants; }
    QTableWidget& Days() const { return *m_days; }
    CDateField& Date() const { return *m_date; }
    QComboBox& Part() const { return *m_part; }
    QLabel& Balance() const { return *m_balance; }
    QPushButton& WithholdButton() const { return *m_withhold; }

private:
    std::string Name() const;
    int Today() const;
    // The grant of the chosen row of the ledger, if a row is chosen.
    const CLeaveLedger::Grant* ChosenGrant() const;
    void FollowGrantChoice();
    // A typed date that is no date is refused with a message naming the field.
    bool IsDate(const CDateField& field, const char* what) const;
    // A change of the book, made on a thread of its own (the book may be on a share that
    // hangs); its messages shown afterwards. False when refused or not waited for.
    bool ApplyChange(std::function<std::optional<std::string>(CLeaveBook&)> change);

    CRecorderController& m_controller;
    QComboBox* m_users = nullptr;
    CDateField* m_hired = nullptr;
    QComboBox* m_daysPerWeek = nullptr;
    QTableWidget* m_grants = nullptr;
    QTableWidget* m_days = nullptr;
    CDateField* m_date = nullptr;
    QComboBox* m_part = nullptr;
    QLabel* m_balance = nullptr;
    QPushButton* m_withhold = nullptr;
    std::vector<CLeaveLedger::Grant> m_shownGrants;  // the rows of m_grants
    bool m_warned = false;  // the book's unreadable lines were said since the window opened
};

}  // namespace stampwell
