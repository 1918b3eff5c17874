#include "screen/TimeRegisterView.h"

#include <QMouseEvent>
#include <QPainter>

#include "RecorderCommand/RecorderCommand.h"
#include "officestore/OfficeStores.h"
#include "platform/LocalTime.h"
#include "screen/CaptionLabel.h"
#include "screen/ColorButton.h"
#include "screen/ISoundPlayer.h"
#include "screen/MyList.h"
#include "screen/NameField.h"
#include "settings/IChimeSettings.h"
#include "settings/ISettings.h"
#include "settings/ModeFiles.h"
#include "store/IWorkStore.h"

namespace stampwell {

namespace {

// The form is laid out in dialog units of MS UI Gothic 9 pt: 1.5 pixels each way.
QRect Units(double x, double y, double w, double h) {
    auto px = [](double units) { return static_cast<int>(std::lround(units * 1.5)); };
    return QRect(px(x), px(y), px(w), px(h));
}

struct LabelSpec {
    int id;
    QRect rect;
    QColor fill, outline, text;
    int alpha, fontHeight, fontWeight, outlineWidth, alignment;
    bool frame;
};

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

CTimeRegisterView::CTimeRegisterView(CRuntime runtime, ISoundPlayer& sounds, QWidget* parent)
    : QWidget(parent), m_runtime(std::move(runtime)), m_sounds(sounds) {
    setFixedSize(483, 449);
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetUp();
}

CTimeRegisterView::~CTimeRegisterView() {
    for (auto& timer : m_timers) timer.stop();
}

void CTimeRegisterView::ConfigureLabels() {
    const bool room = m_mode == kRoomMode;
    const QColor white(255, 255, 255), yellow(255, 255, 0), gold(208, 208, 0);
    const std::array<LabelSpec, 9> specs = {{
        {kTitle, Units(0, 0, 120, 30), {32, 64, 128}, gold, white, 200, 28, 700, 4, 1, true},
        {kStep1, Units(48, 48, 228, 18), white, white, yellow, 176, 18, 900, 1, 0, false},
        {kStep2, Units(48, 108, 228, 18), white, white, yellow, 176, 18, 900, 1, 0, false},
        {kStep3, Units(48, 168, 228, 18), white, white, yellow, 176, 18, 900, 1, 0, false},
        {kNameCaption, Units(48, 132, 36, 24), {16, 32, 96}, gold, white, 176, 18, 700, 4, 1, true},
        {kResult, Units(108, 192, 102, 30), {16, 32, 96}, gold, white, 230, 25, 100, 4, 1, true},
        {kBanner, Units(96, 244, 132, 26), {255, 0, 0}, {0, 0, 0}, white, 190, 24, 900, 1, 1, true},
        {kClock,
         Units(226, 0, 96, 24),
         {32, 32, 96},
         {208, 208, 208},
         {176, 240, 240},
         210,
         20,
         900,
         4,
         1,
         true},
        {kHistoryCaption,
         Units(48, 168, 36, 18),
         {32, 32, 96},
         gold,
         white,
         184,
         20,
         700,
         4,
         3,
         true},
    }};
    for (const auto& spec : specs) {
        auto label = std::make_unique<CCaptionLabel>(this);
        label->setGeometry(spec.rect);
        label->SetColors(spec.fill, spec.outline, spec.text, spec.alpha);
        label->SetFont(spec.fontHeight, spec.fontWeight);
        label->SetOutline(spec.outlineWidth, spec.alignment, spec.frame);
        m_labels[spec.id] = std::move(label);
    }
    m_labels[kTitle]->SetText(room ? Text("入退室時間登録") : Text("勤務時間登録"));
    m_labels[kStep1]->SetText(Text("  Step1:出社、退社を選んでください。"));
    m_labels[kStep2]->SetText(room ? Text("        カードをかざすと、登録されます。")
                                   : Text("  Step2:カードをかざすと、登録されます。"));
    m_labels[kStep3]->SetText(Text("  Step3:次の内容で登録されました。"));
    m_labels[kNameCaption]->SetText(Text("登録名"));
    m_labels[kResult]->SetText(room ? Text("09:00 入室") : Text("09:00 勤務開始"));
    m_labels[kBanner]->SetText(Text("登録しました。"));
    m_labels[kClock]->SetText(Text("07/07 07:00"));
    m_labels[kHistoryCaption]->SetText(Text("履歴"));
}

void CTimeRegisterView::SetUp() {
    m_mode = CModeFiles::ReadMode(m_runtime.DataDir());
    const bool room = m_mode == kRoomMode;
    ConfigureLabels();

    struct ButtonSpec {
        int id;
        QRect rect;
        QColor face, text;
        int alpha;
        const char* caption;
    };
    const std::array<ButtonSpec, 4> buttons = {{
        {kStart, Units(95, 72, 49, 24), {255, 0, 0}, {255, 255, 255}, 230, room ? "入室" : "出社"},
        {kEnd, Units(180, 72, 48, 24), {60, 20, 220}, {255, 255, 255}, 230, room ? "退室" : "退社"},
        {kCancel, Units(272, 274, 50, 25), {208, 208, 64}, {0, 0, 160}, 192, "中止"},
        {kRegister, Units(-2, 274, 50, 25), {64, 64, 128}, {255, 255, 255}, 230, "登録"},
    }};
    for (const auto& spec : buttons) {
        auto button = std::make_unique<CColorButton>(this);
        button->setGeometry(spec.rect);
        button->SetColors(spec.face, spec.text, spec.alpha);
        button->setText(Text(spec.caption));
        m_buttons[spec.id] = std::move(button);
    }
    m_buttons[kRegister]->hide();
    connect(m_buttons[kCancel].get(), &QAbstractButton::clicked, this, [this] { ResetScreen(0); });

    m_nameField = std::make_unique<CNameField>(this);
    m_nameField->setGeometry(Units(84, 132, 192, 24));
    m_nameField->SetColors(QColor(0, 0, 128), Qt::white, 160);
    m_nameField->SetFont(30, 100);
    m_history = std::make_unique<CMyList>(this);
    m_history->setGeometry(Units(48, 186, 228, 76));
    m_background.SetFit(CBackgroundPicture::kCover);
    m_background.Load(QString::fromStdString(m_runtime.AssetFile("ImageTime.bmp").string()));

    m_buttons[kStart]->SetSelected(true);
    m_buttons[kEnd]->SetSelected(false);
    m_startCommand = std::make_unique<StartCommand>(this);
    m_endCommand = std::make_unique<EndCommand>(this);
    m_buttons[kStart]->BindCommand(m_startCommand.get());
    m_buttons[kEnd]->BindCommand(m_endCommand.get());

    const std::array<int, 5> intervals = {500, 3000, 3600000, 500, 5000};
    for (int id = 0; id < 5; ++id) {
        m_timers[static_cast<std::size_t>(id)].setInterval(intervals[static_cast<std::size_t>(id)]);
        connect(&m_timers[static_cast<std::size_t>(id)], &QTimer::timeout, this,
                [this, id] { OnTimer(id); });
    }
    m_slowTimer.setSingleShot(true);
    m_slowTimer.setInterval(kSlowShareMs);
    connect(&m_slowTimer, &QTimer::timeout, this, [this] { ShowSlowShare(); });
    m_clockTimer.setInterval(500);
    // While a tap is being recorded the clock still ticks, and the reader is still polled so
    // that a card held meanwhile is refused on the spot instead of being lost.
    connect(&m_clockTimer, &QTimer::timeout, this, [this] {
        UpdateClock();
        if (m_state == kProcessing && !m_stopped && m_readCommand) m_readCommand->Execute();
    });
    m_timers[kHourlyTimer].start();
    ResetScreen(0);
    AutoSelectSide(m_runtime.Clock().Now());
    m_timers[kChimeTimer].start();
}

void CTimeRegisterView::SetReadCommand(std::shared_ptr<RecorderCommand> command) {
    m_readCommand = std::move(command);
}

void CTimeRegisterView::SetSettings(std::shared_ptr<const ISettings> settings) {
    m_settings = std::move(settings);
    AutoSelectSide(m_runtime.Clock().Now());
}

void CTimeRegisterView::SetChimeSettings(std::shared_ptr<const IChimeSettings> chime) {
    m_chime = std::move(chime);
}

void CTimeRegisterView::SetWorkReport(IWorkStore* work) {
    m_work = work;
    RefreshHistory();
}

QWidget* CTimeRegisterView::Control(int id) const {
    if (auto label = m_labels.find(id); label != m_labels.end()) return label->second.get();
    if (auto button = m_buttons.find(id); button != m_buttons.end()) return button->second.get();
    if (id == kName) return m_nameField.get();
    if (id == kHistory) return m_history.get();
    return nullptr;
}

void CTimeRegisterView::ShowControl(int id, bool shown) {
    if (QWidget* control = Control(id)) control->setVisible(shown);
}

void CTimeRegisterView::ShowState(EState state) {
    m_state = state;
    const bool attendance = m_mode != kRoomMode;
    ShowControl(kTitle, true);
    ShowControl(kClock, true);
    if (state != kResultShown) {
        for (int id : {kStep1, kStart, kEnd}) ShowControl(id, attendance);
        for (int id : {kStep2, kNameCaption, kName}) ShowControl(id, true);
        ShowControl(kStep3, false);
    }
    // The history and its caption belong to the waiting screen only, in both modes.
    ShowControl(kHistoryCaption, state == kWaiting || state == kSideChosen);
    ShowControl(kHistory, state == kWaiting || state == kSideChosen);
    if (state == kWaiting || state == kSideChosen) {
        ShowControl(kResult, false);
        ShowControl(kBanner, false);
    } else if (state == kResultShown) {
        ShowControl(kResult, true);
        ShowControl(kBanner, true);
    }
    if (state == kWaiting) ShowControl(kCancel, false);
    update();
    if (m_stateListener && (state == kWaiting || state == kResultShown)) {
        m_stateListener(state == kWaiting ? "waiting" : "result");
    }
}

void CTimeRegisterView::ResetScreen(int skipRefresh) {
    m_slowTimer.stop();
    m_slowShown = false;
    m_labels[kBanner]->SetText(Text("登録しました。"));
    ShowState(kWaiting);
    m_nameField->SetText({});
    if (skipRefresh == 0) RefreshHistory();
    m_clockTimer.stop();
    m_timers[kPollTimer].start();
    // The time at once, not the layout's sample text until the first tick.
    UpdateClock();
}

void CTimeRegisterView::SelectStart() {
    m_buttons[kStart]->SetSelected(true);
    m_buttons[kEnd]->SetSelected(false);
    // A side chosen for a tap in progress (room mode reports its side) keeps that screen.
    if (m_state == kWaiting || m_state == kSideChosen) ShowState(kSideChosen);
}

void CTimeRegisterView::SelectEnd() {
    m_buttons[kStart]->SetSelected(false);
    m_buttons[kEnd]->SetSelected(true);
    if (m_state == kWaiting || m_state == kSideChosen) ShowState(kSideChosen);
}

void CTimeRegisterView::BeginStamp() {
    m_timers[kPollTimer].stop();
    m_clockTimer.start();
    ShowState(kProcessing);
    // The tap is recorded off the window's thread: say so, and past a while that the shared
    // folder keeps it waiting.
    m_labels[kResult]->SetText(Text("処理中…"));
    ShowControl(kResult, true);
    m_slowShown = false;
    m_slowTimer.start();
}

void CTimeRegisterView::ShowSlowShare() {
    if (m_state != kProcessing) return;
    m_slowShown = true;
    m_labels[kBanner]->SetText(Text("共有フォルダが応答しません"));
    ShowControl(kBanner, true);
    update();
}

void CTimeRegisterView::ShowResult() {
    m_slowTimer.stop();
    m_slowShown = false;
    m_labels[kBanner]->SetText(Text("登録しました。"));
    m_timers[kResultTimer].start();
    m_resultShown = 1;
    RefreshHistory();
    ShowState(kResultShown);
    PlaySideSound();
}

void CTimeRegisterView::ShowKeptHere() {
    m_labels[kBanner]->SetText(Text("記録先が応答しません・端末に保管しました"));
    update();
}

void CTimeRegisterView::PlaySideSound() {
    if (m_buttons[kStart]->IsSelected())
        m_sounds.PlayFile(m_runtime.AssetFile("WorkBegin.wav"), false);
    if (m_buttons[kEnd]->IsSelected()) m_sounds.PlayFile(m_runtime.AssetFile("WorkEnd.wav"), false);
}

void CTimeRegisterView::ShowReaderAway(bool away) {
    m_readerAway = away;
    // Where the screen says to hold a card, it says that no card can be read until the reader is
    // plugged in again.
    const bool room = m_mode == kRoomMode;
    m_labels[kStep2]->SetText(away ? Text("  カードリーダーが接続されていません。")
                              : room ? Text("        カードをかざすと、登録されます。")
                                     : Text("  Step2:カードをかざすと、登録されます。"));
    update();
}

void CTimeRegisterView::ShowBusyRefusal() {
    m_labels[kBanner]->SetText(Text("前の登録を処理中です。もう一度かざしてください。"));
    ShowControl(kBanner, true);
    m_sounds.PlayFile(m_runtime.AssetFile("Refusal.wav"), true);
    update();
}

void CTimeRegisterView::StopReading() {
    m_stopped = true;
}

std::string CTimeRegisterView::GetShownName() const {
    return m_nameField->Text().toStdString();
}

void CTimeRegisterView::SetShownName(const std::string& name) {
    m_nameField->SetText(QString::fromStdString(name));
}

void CTimeRegisterView::SetResultText(const std::string& text) {
    m_labels[kResult]->SetText(QString::fromStdString(text));
}

bool CTimeRegisterView::IsEndSelected() const {
    return m_buttons.at(kEnd)->IsSelected() && !m_buttons.at(kStart)->IsSelected();
}

void CTimeRegisterView::UpdateClock() {
    std::int64_t now = m_runtime.Clock().Now();
    auto tm = CLocalTime::ToLocal(now);
    if (!tm) return;
    int hour = tm->tm_hour;
    if (m_settings && hour < m_settings->GetDayChangeHour()) {
        tm = CLocalTime::ToLocal(now - 86400);
        if (!tm) return;
        hour += 24;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d %02d:%02d:%02d", tm->tm_mon + 1, tm->tm_mday, hour,
                  tm->tm_min, tm->tm_sec);
    m_labels[kClock]->SetText(QString::fromLatin1(text));
}

void CTimeRegisterView::AutoSelectSide(std::int64_t time) {
    auto tm = CLocalTime::ToLocal(time);
    int hour = tm ? tm->tm_hour : -1;
    if (m_settings && hour < m_settings->GetDayChangeHour()) hour += 24;
    int limit = m_settings ? m_settings->GetSwitchHour() : 14;
    if (hour < limit) {
        m_startCommand->Execute();
        if (m_backup) {
            m_backup();
        } else {
            OpenWorkStore(m_runtime)->Backup();
        }
    } else {
        m_endCommand->Execute();
    }
}

bool CTimeRegisterView::IsChimeTime() const {
    if (!m_chime || !m_chime->IsChimeEnabled()) return false;
    auto tm = CLocalTime::ToLocal(m_runtime.Clock().Now());
    if (!tm) return false;
    std::int64_t seconds = tm->tm_hour * 3600LL + tm->tm_min * 60LL + tm->tm_sec;
    for (std::int64_t chime : m_chime->GetChimeTimes()) {
        if (chime == seconds) return true;
    }
    return false;
}

void CTimeRegisterView::RefreshHistory() {
    if (m_historySource) {
        // One read at a time; a refresh asked for meanwhile follows it.
        if (m_historyPending) {
            m_historyAgain = true;
            return;
        }
        m_historyPending = true;
        m_historySource([this](std::vector<std::string> lines) {
            m_historyPending = false;
            ShowLines(lines);
            if (std::exchange(m_historyAgain, false)) RefreshHistory();
        });
        return;
    }
    if (m_work == nullptr) return;
    std::vector<std::string> lines;
    m_work->ListToday(lines);
    ShowLines(lines);
}

void CTimeRegisterView::ShowLines(const std::vector<std::string>& lines) {
    QStringList texts;
    for (const auto& line : lines) texts << QString::fromStdString(line);
    m_history->SetLines(texts);
    update();
}

void CTimeRegisterView::OnTimer(int id) {
    switch (id) {
        case kPollTimer:
            UpdateClock();
            if (!m_stopped && m_readCommand) m_readCommand->Execute();
            break;
        case kResultTimer:
            ResetScreen(0);
            m_timers[kResultTimer].stop();
            m_resultShown = 0;
            break;
        case kHourlyTimer:
            AutoSelectSide(m_runtime.Clock().Now());
            RefreshHistory();
            break;
        case kChimeTimer:
            if (IsChimeTime()) {
                m_timers[kChimeTimer].stop();
                m_sounds.PlayFile(m_runtime.AssetFile("Chime.wav"), true);
                m_timers[kChimePauseTimer].start();
            }
            break;
        case kChimePauseTimer:
            m_timers[kChimePauseTimer].stop();
            m_timers[kChimeTimer].start();
            break;
        default:
            break;
    }
}

void CTimeRegisterView::mousePressEvent(QMouseEvent* event) {
    if (m_resultShown == 1) {
        ResetScreen(0);
        m_timers[kResultTimer].stop();
        m_resultShown = 0;
    }
    QWidget::mousePressEvent(event);
}

bool CTimeRegisterView::IsTimerActive(int id) const {
    return id >= 0 && id < 5 && m_timers[static_cast<std::size_t>(id)].isActive();
}

bool CTimeRegisterView::IsControlShown(int id) const {
    QWidget* control = Control(id);
    return control != nullptr && !control->isHidden();
}

QString CTimeRegisterView::ControlText(int id) const {
    if (auto label = m_labels.find(id); label != m_labels.end()) return label->second->GetText();
    if (auto button = m_buttons.find(id); button != m_buttons.end()) return button->second->text();
    if (id == kName) return m_nameField->Text();
    return {};
}

QStringList CTimeRegisterView::HistoryLines() const {
    return m_history->Lines();
}

CColorButton& CTimeRegisterView::Button(int id) const {
    return *m_buttons.at(id);
}

QRect CTimeRegisterView::ControlRect(int id) const {
    QWidget* control = Control(id);
    return control ? control->geometry() : QRect();
}

QImage CTimeRegisterView::Render() const {
    QImage frame(size(), QImage::Format_RGB32);
    frame.fill(Qt::black);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::TextAntialiasing);
    m_background.Draw(painter, rect());
    for (int id : {kTitle, kStep1, kStep2, kStep3, kNameCaption, kResult, kBanner, kClock,
                   kHistoryCaption}) {
        m_labels.at(id)->Draw(painter);
    }
    for (int id : {kStart, kEnd, kCancel, kRegister}) m_buttons.at(id)->Draw(painter);
    m_history->Draw(painter);
    m_nameField->Draw(painter);
    return frame;
}

void CTimeRegisterView::paintEvent(QPaintEvent*) {
    // Composed off screen and copied in one go, so nothing flickers.
    QPainter painter(this);
    painter.drawImage(0, 0, Render());
}

}  // namespace stampwell
