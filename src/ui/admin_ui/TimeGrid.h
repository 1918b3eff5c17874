#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace stampwell {

class CMonthSheet;
class CTimeCellEdit;

// The month as a table model: the date column, the two time columns of a CMonthSheet, and the
// time worked.
class CMonthSheetModel : public QAbstractTableModel {
public:
    // Read-only: the time between start and end, or 打刻漏れ when one of them is missing.
    static constexpr int kWorkedColumn = 3;

    CMonthSheetModel(const CMonthSheet& sheet, int mode, QObject* parent);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The sheet changed underneath: show it again. today is the working day still going on.
    void Reload(const std::string& today);
    // The days whose fixed breaks fall short of the legal minimum: marked 休憩不足.
    void SetShortBreakDates(std::vector<std::string> dates);
    // The days of paid leave ("YYYY/MM/DD" and 有休, 午前有休 or 午後有休), shown in the
    // worked column in place of the time (which goes to the tip) or of 打刻漏れ.
    void SetLeaveDays(std::map<std::string, std::string> days);
    // Per row of the month: what the day is (a holiday's name, 所定休日, 法定休日, 振替, 代休;
    // empty for an ordinary day), and whether it is a day off (shaded).
    struct DayNote {
        std::string text;
        bool off = false;
        bool operator==(const DayNote&) const = default;
    };
    void SetDayNotes(std::vector<DayNote> notes);

private:
    bool IsMarked(int row) const;

    const CMonthSheet& m_sheet;
    int m_mode;
    std::string m_today;
    std::vector<std::string> m_shortBreakDates;
    std::map<std::string, std::string> m_leaveDays;
    std::vector<DayNote> m_dayNotes;
    const std::string* LeaveOn(int row) const;
};

// The editable grid of times: the focused row drawn in (217, 245, 245), the current time cell
// framed; F2 or a double click edits the current cell, Delete clears it, Left and Right move
// between columns. Column widths are fixed.
class CTimeGrid : public QTableView {
public:
    // The dialog applies what the editor ended with (nothing when cancelled) or a Delete.
    using CellEdited =
        std::function<void(int row, int column, std::optional<std::string> text, bool modified)>;

    explicit CTimeGrid(QWidget* parent);
    ~CTimeGrid() override;

    void SetCellEdited(CellEdited handler) { m_cellEdited = std::move(handler); }
    // Opens the editor over the current cell of the focused row (not on the date column).
    bool BeginEdit();
    // Ends an open editor as if it lost the focus.
    void CommitEditor();
    CTimeCellEdit* Editor() const { return m_editor; }
    // Fits the three columns to the grid: the date a third, the times a third less 10 pixels.
    void FitColumns();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void EndEdit(int row, int column, std::optional<std::string> text, bool modified);
    // After Tab: the next (or previous) time cell, row by row, and its editor.
    void EditNext(bool forward);

    CellEdited m_cellEdited;
    CTimeCellEdit* m_editor = nullptr;  // a child of the viewport while it lives
};

}  // namespace stampwell
