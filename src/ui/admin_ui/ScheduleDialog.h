#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "schedule/ScheduleBook.h"
#include "store/IScheduleStore.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTabWidget;

namespace stampwell {

class CRecorderController;
class CShareWait;

// "勤務カレンダー": the office's holidays, the work patterns and who follows which from when,
// and the swapped rest days and 代休. The window shows and asks; every change is decided by
// CScheduleChange over the book as stored, off the window's thread.
class CScheduleDialog : public QDialog {
public:
    CScheduleDialog(CRecorderController& controller, QWidget* parent);
    ~CScheduleDialog() override;

    int Run();
    // Reads the book and the register again and shows them.
    void Reload();

    // The fields and the actions (for the tests).
    QTabWidget& Tabs() const { return *m_tabs; }
    QSpinBox& HolidayYear() const { return *m_holidayYear; }
    QListWidget& Holidays() const { return *m_holidays; }
    QLineEdit& HolidayDate() const { return *m_holidayDate; }
    QLineEdit& HolidayName() const { return *m_holidayName; }
    QListWidget& Patterns() const { return *m_patterns; }
    QLineEdit& PatternName() const { return *m_patternName; }
    QLineEdit& PatternStart() const { return *m_patternStart; }
    QLineEdit& PatternEnd() const { return *m_patternEnd; }
    QLineEdit& PatternBreaks() const { return *m_patternBreaks; }
    QLineEdit& PatternDays() const { return *m_patternDays; }
    QComboBox& Person() const { return *m_person; }
    QLineEdit& AssignFrom() const { return *m_assignFrom; }
    QComboBox& AssignPattern() const { return *m_assignPattern; }
    QLineEdit& SwapRest() const { return *m_swapRest; }
    QLineEdit& SwapWork() const { return *m_swapWork; }
    QLineEdit& LieuOff() const { return *m_lieuOff; }
    QLineEdit& LieuFor() const { return *m_lieuFor; }
    QListWidget& Swaps() const { return *m_swaps; }
    void OnAddHoliday();
    void OnRemoveHoliday();
    void OnSavePattern();
    void OnAssign();
    void OnSwap();
    void OnDayInLieu();
    void OnDeletePattern();
    // Takes back the swap or 代休 chosen in the list.
    void OnTakeBack();

private:
    void ShowBook();
    // Stores one change; true when stored (the book is read again and shown).
    bool Apply(const IScheduleStore::Change& change, const std::string& done);
    std::optional<int> DateOf(const QLineEdit& field, const char* what);
    // The trail's time and the administrator logged in.
    std::string NowText() const;
    std::string AdminId() const;

    CRecorderController& m_controller;
    std::unique_ptr<CShareWait> m_wait;
    CScheduleBook m_book;
    std::vector<std::string> m_names;
    QTabWidget* m_tabs = nullptr;
    QSpinBox* m_holidayYear = nullptr;
    QListWidget* m_holidays = nullptr;
    QLineEdit* m_holidayDate = nullptr;
    QLineEdit* m_holidayName = nullptr;
    QListWidget* m_patterns = nullptr;
    QLineEdit* m_patternName = nullptr;
    QLineEdit* m_patternStart = nullptr;
    QLineEdit* m_patternEnd = nullptr;
    QLineEdit* m_patternBreaks = nullptr;
    QLineEdit* m_patternDays = nullptr;
    QCheckBox* m_patternHolidaysOff = nullptr;
    QComboBox* m_person = nullptr;
    QLineEdit* m_assignFrom = nullptr;
    QComboBox* m_assignPattern = nullptr;
    QLineEdit* m_swapRest = nullptr;
    QLineEdit* m_swapWork = nullptr;
    QLineEdit* m_lieuOff = nullptr;
    QLineEdit* m_lieuFor = nullptr;
    QListWidget* m_swaps = nullptr;
};

}  // namespace stampwell
