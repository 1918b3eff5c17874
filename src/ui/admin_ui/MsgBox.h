#pragma once

#include <QDialog>
#include <QTimer>
#include <filesystem>
#include <memory>

class QPlainTextEdit;
class QPushButton;

namespace stampwell {

// The timed question box: "はい" answers yes, "いいえ", Esc or the close box no, and nobody
// answering within the time of Timer.txt counts as `byItself` (yes at the clock, no before
// anything is deleted); that button counts down the seconds left. With `byItself` kNone the
// box waits for an answer, with no timer.
class CMsgBox : public QDialog {
public:
    enum EAnswer { kNone = 0, kYes = 1, kNo = 2 };

    CMsgBox(const QString& text, const std::filesystem::path& dataDir, QWidget* parent = nullptr,
            int byItself = kYes);

    int GetAnswer() const { return m_answer; }
    int WaitMilliseconds() const { return m_waitMs; }
    QPushButton* YesButton() const { return m_yes; }
    QPushButton* NoButton() const { return m_no; }

    void reject() override;

private:
    void Answer(int answer);
    void ShowSecondsLeft();

    int m_answer = kNone;
    int m_waitMs = 60000;
    QTimer m_timer;
    QTimer m_countdown;
    int m_byItself = kYes;
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_yes = nullptr;
    QPushButton* m_no = nullptr;
};

}  // namespace stampwell
