#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "RecorderCommand/EndCommand.h"
#include "RecorderCommand/IRegisterScreen.h"
#include "RecorderCommand/StartCommand.h"
#include "platform/Runtime.h"
#include "screen/BackgroundPicture.h"
#include "workfile/IStampSide.h"

namespace stampwell {

class CCaptionLabel;
class CColorButton;
class CMyList;
class CNameField;
class IWorkStore;
class IChimeSettings;
class ISettings;
class ISoundPlayer;
class RecorderCommand;

// The registration screen: clock, side buttons, the owner's name, the result line and the day's
// history, drawn as translucent panels over the background picture. Its timers are the
// program's clock: they poll the reader through the card-reading command, end the result
// display, re-choose the side every hour and ring the chime.
class CTimeRegisterView : public QWidget, public IRegisterScreen, public IStampSide {
public:
    // Control ids of the screen's form.
    enum EControl {
        kTitle = 1001,
        kStep1 = 1002,
        kStep2 = 1003,
        kStep3 = 1004,
        kNameCaption = 1005,
        kBanner = 1006,
        kClock = 1008,
        kResult = 1010,
        kHistoryCaption = 1011,
        kName = 1101,
        kCancel = 1202,
        kRegister = 1204,
        kStart = 1206,
        kEnd = 1207,
        kHistory = 1302
    };
    enum ETimer {
        kPollTimer = 0,
        kResultTimer = 1,
        kHourlyTimer = 2,
        kChimeTimer = 3,
        kChimePauseTimer = 4
    };

    CTimeRegisterView(CRuntime runtime, ISoundPlayer& sounds, QWidget* parent = nullptr);
    ~CTimeRegisterView() override;

    void SetReadCommand(std::shared_ptr<RecorderCommand> command);
    void SetSettings(std::shared_ptr<const ISettings> settings);
    // Told "waiting" or "result" each time the screen settles in one of them (the demo saves a
    // picture then).
    void SetStateListener(std::function<void(const char* state)> listener) {
        m_stateListener = std::move(listener);
    }
    void SetChimeSettings(std::shared_ptr<const IChimeSettings> chime);
    void SetWorkReport(IWorkStore* work);
    // The time clock reads the history and makes the backup off the window's thread (a shared
    // folder may hang); without these the screen does both itself.
    using HistoryShown = std::function<void(std::vector<std::string>)>;
    void SetHistorySource(std::function<void(HistoryShown)> source) {
        m_historySource = std::move(source);
    }
    void SetBackupAction(std::function<void()> backup) { m_backup = std::move(backup); }
    // How long a tap may take before the screen says that the shared folder does not answer.
    static constexpr int kSlowShareMs = 10000;
    bool IsSlowShareShown() const { return m_slowShown; }
    bool IsSlowShareTimerActive() const { return m_slowTimer.isActive(); }
    // The slow-share timer's timeout: still processing, the shared folder keeps the tap waiting.
    void ShowSlowShare();

    // IRegisterScreen
    void ResetScreen(int skipRefresh) override;
    void SelectStart() override;
    void SelectEnd() override;
    void BeginStamp() override;
    void ShowKeptHere() override;
    void ShowResult() override;
    void StopReading() override;
    void ShowReaderAway(bool away) override;
    void ShowBusyRefusal() override;
    bool IsReaderAwayShown() const { return m_readerAway; }
    std::string GetShownName() const override;
    void SetShownName(const std::string& name) override;
    void SetResultText(const std::string& text) override;
    // IStampSide
    bool IsEndSelected() const override;

    void UpdateClock();
    void AutoSelectSide(std::int64_t time);
    bool IsChimeTime() const;
    void RefreshHistory();
    // One tick of a timer, as its timeout runs it.
    void OnTimer(int id);

    int Mode() const { return m_mode; }
    bool IsTimerActive(int id) const;
    bool IsStopped() const { return m_stopped; }
    bool IsResultShown() const { return m_resultShown != 0; }
    bool IsControlShown(int id) const;
    CMyList& HistoryList() const { return *m_history; }
    QString ControlText(int id) const;
    QStringList HistoryLines() const;
    CColorButton& Button(int id) const;
    QRect ControlRect(int id) const;
    // The whole screen as it is drawn.
    QImage Render() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    enum EState { kWaiting, kSideChosen, kProcessing, kResultShown };
    void SetUp();
    void ConfigureLabels();
    void ShowState(EState state);
    void ShowControl(int id, bool shown);
    void PlaySideSound();
    void ShowLines(const std::vector<std::string>& lines);
    QWidget* Control(int id) const;

    CRuntime m_runtime;
    ISoundPlayer& m_sounds;
    EState m_state = kWaiting;
    std::function<void(const char*)> m_stateListener;
    IWorkStore* m_work = nullptr;
    std::function<void(HistoryShown)> m_historySource;
    std::function<void()> m_backup;
    bool m_historyPending = false;
    bool m_historyAgain = false;
    QTimer m_slowTimer;
    // The clock keeps ticking while polling is stopped (a tap being recorded, a result shown).
    QTimer m_clockTimer;
    bool m_slowShown = false;
    bool m_readerAway = false;
    std::shared_ptr<const ISettings> m_settings;
    std::shared_ptr<const IChimeSettings> m_chime;
    bool m_stopped = false;
    int m_resultShown = 0;
    std::map<int, std::unique_ptr<CCaptionLabel>> m_labels;
    std::map<int, std::unique_ptr<CColorButton>> m_buttons;
    std::unique_ptr<StartCommand> m_startCommand;
    std::unique_ptr<EndCommand> m_endCommand;
    std::unique_ptr<CNameField> m_nameField;
    std::unique_ptr<CMyList> m_history;
    CBackgroundPicture m_background;
    int m_mode = 1;
    std::shared_ptr<RecorderCommand> m_readCommand;
    std::array<QTimer, 5> m_timers;
};

}  // namespace stampwell
