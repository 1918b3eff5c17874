#include "RecorderCommand/TimeReadCommand.h"

#include <stdexcept>

#include "RecorderCommand/IRecorderContext.h"
#include "RecorderCommand/IRegisterScreen.h"
#include "diagnostics/ErrorLog.h"
#include "mail/MailQueue.h"
#include "mail/MailSettings.h"
#include "officestore/OfficeStores.h"
#include "platform/IBackgroundRunner.h"
#include "platform/IPrompt.h"
#include "reader/FelicaReader.h"
#include "settings/ISettings.h"
#include "settings/ModeFiles.h"
#include "store/IPeopleStore.h"
#include "store/IWorkStore.h"
#include "workfile/IStampSide.h"

namespace stampwell {

namespace {
constexpr const char* kFailed = "登録に失敗しました。";

// The side chosen when the card was read: the job never looks at the screen's buttons.
class CChosenSide : public IStampSide {
public:
    explicit CChosenSide(bool end) : m_end(end) {}
    bool IsEndSelected() const override { return m_end; }

private:
    bool m_end;
};
}  // namespace

// One tap: what the job reads and decides off the window's thread, with objects of its own.
struct TimeReadCommand::CTap {
    std::string card;
    std::int64_t readAt = 0;  // the tap's time: when the card was read, not when the job ran
    CChosenSide side{false};
    std::shared_ptr<IPeopleStore> reg;
    std::shared_ptr<IWorkStore> work;
    bool known = false;
    std::string unknownWhy;  // why the card could not be looked up, when it could not
    std::string name;
    std::string mailAddress;
    int result = 0;
    bool written = false;
};

std::shared_ptr<RecorderCommand> MakeRecorderCommand(int type, IRecorderContext* controller) {
    if (type != 10) throw std::runtime_error("No RecoderCommand type.");
    return std::make_shared<TimeReadCommand>(controller);
}

void TimeReadCommand::Execute() {
    CFelicaReader* reader = m_controller->GetReader();
    IRegisterScreen* screen = m_controller->GetScreen();
    if (!m_controller->IsScreenActive() || m_controller->IsBusy() || reader == nullptr) return;
    if (m_controller->GetRegister() == nullptr || m_controller->GetWorkReport() == nullptr ||
        screen == nullptr) {
        return;
    }
    if (m_recording) {
        PollWhileRecording(*reader);
        return;
    }
    std::string card;
    const bool held = reader->Poll(card);
    m_heldCard = held ? card : std::string{};
    if (held) Start(card);
    NoteReader(reader->IsReaderDisconnected());
}

void TimeReadCommand::PollWhileRecording(CFelicaReader& reader) {
    std::string card;
    const bool held = reader.Poll(card);
    if (held && card != m_heldCard) {
        ErrorLog(m_controller->Runtime().DataDir(), __LINE__,
                 "前の登録を処理中にかざされたカードを受け付けませんでした: " + card +
                     " (TimeReadCommand)",
                 __FILE__, &m_controller->Runtime().Clock());
        m_controller->GetScreen()->ShowBusyRefusal();
    }
    m_heldCard = held ? card : std::string{};
}

void TimeReadCommand::NoteReader(bool away) {
    if (away == m_readerAway) return;
    m_readerAway = away;
    ErrorLog(m_controller->Runtime().DataDir(), __LINE__,
             away ? "カードリーダーが接続されていません (TimeReadCommand: FeliCa port "
                    "disconnected)"
                  : "カードリーダーが接続されました (TimeReadCommand: FeliCa port connected "
                    "again)",
             __FILE__, &m_controller->Runtime().Clock());
    // Unattended at an entrance: no box waits for somebody to press OK; the screen says it.
    m_controller->GetScreen()->ShowReaderAway(away);
}

void TimeReadCommand::Start(const std::string& card) {
    m_controller->Prompt().MovePointerToOrigin();
    m_controller->GetScreen()->BeginStamp();
    m_recording = true;
    auto tap = std::make_shared<CTap>();
    tap->card = card;
    tap->readAt = m_controller->Runtime().Clock().Now();
    IStampSide* side = m_controller->GetStampSide();
    tap->side = CChosenSide(side != nullptr && side->IsEndSelected());
    // The settings as they are now (another program may have changed Setting.txt), copied for
    // the job, which never shares an object with the window's thread.
    const auto settings = m_controller->SnapshotSettings();
    tap->reg = OpenPeopleStore(m_controller->Runtime());
    tap->reg->SetPathSource(settings);
    tap->work = OpenWorkStore(m_controller->Runtime());
    tap->work->SetSettings(settings);
    tap->work->SetStampSide(&tap->side);
    m_controller->Background().Post(
        [tap] {
            tap->reg->SetCardId(tap->card);
            tap->known = tap->reg->FindNameByCard() != 0;
            if (!tap->known) {
                tap->unknownWhy = tap->reg->FailureMessage("");
                return;
            }
            tap->name = tap->reg->GetName();
            tap->mailAddress = tap->reg->GetMailAddressByName(tap->name);
            tap->work->SetStamp(tap->name, tap->readAt);
            // One hold of the locks from the decision to the write.
            const auto locks = tap->work->HoldToday();
            tap->result = tap->work->CheckToday();
            if (tap->result == 0) tap->written = tap->work->RegisterStamp();
        },
        [this, tap] { OnDecided(tap); });
}

void TimeReadCommand::Fail() {
    m_recording = false;
    m_controller->Prompt().ShowMessage(kFailed, EMessageIcon::None);
    m_controller->GetScreen()->ResetScreen(0);
}

void TimeReadCommand::OnDecided(const std::shared_ptr<CTap>& tap) {
    IPrompt& prompt = m_controller->Prompt();
    IRegisterScreen& screen = *m_controller->GetScreen();
    if (!tap->known) {
        m_recording = false;
        prompt.ShowMessage(tap->unknownWhy.empty() ? "登録されていないカードです。" : tap->unknownWhy,
                           EMessageIcon::None);
        screen.ResetScreen(0);
        return;
    }
    screen.SetShownName(tap->name);
    if (tap->result > 0) {
        int answer = prompt.AskQuestion("本日は既に登録済みです。\r\n新しい時間で上書きしますか？");
        if (answer == IPrompt::kNoAnswer) {
            m_recording = false;
            return;
        }
        if (answer == IPrompt::kNo) {
            m_recording = false;
            screen.ResetScreen(0);
            return;
        }
        // Under the lock the record is found again: another clock may have moved it meanwhile.
        m_controller->Background().Post(
            [tap] { tap->written = tap->work->OverwriteRecord(tap->result); },
            [this, tap] { OnOverwritten(tap); });
        return;
    }
    m_recording = false;
    switch (tap->result) {
        case IWorkStore::EntryRecorded:
            ReportSide(*tap, 0);
            return;
        case IWorkStore::ExitRecorded:
            ReportSide(*tap, 1);
            return;
        case IWorkStore::WriteFailed:
            Fail();
            return;
        case IWorkStore::TooSoon:
            screen.ResetScreen(1);
            return;
        default:
            break;
    }
    if (!tap->written) {
        Fail();
        return;
    }
    const bool room = tap->work->GetMode() == kRoomMode;
    ReportSide(*tap, !room && tap->side.IsEndSelected() ? 1 : 0);
}

void TimeReadCommand::OnOverwritten(const std::shared_ptr<CTap>& tap) {
    m_recording = false;
    if (!tap->written) {
        Fail();
        return;
    }
    ReportSide(*tap, tap->side.IsEndSelected() ? 1 : 0);
}

void TimeReadCommand::ReportSide(CTap& tap, int side) {
    IRegisterScreen& screen = *m_controller->GetScreen();
    const bool room = tap.work->GetMode() == kRoomMode;
    int kind = room ? (side == 0 ? 1 : 2) : 0;
    // In room mode the hidden side buttons only choose the sound: entry and exit must sound
    // different whatever hour it is.
    if (room) side == 0 ? screen.SelectStart() : screen.SelectEnd();
    screen.SetResultText(tap.work->MakeResultText(kind));
    screen.ShowResult();
    if (tap.work->IsUsingTemporary()) screen.ShowKeptHere();
    SendMail(tap, side);
}

void TimeReadCommand::SendMail(const CTap& tap, int side) {
    const CRuntime& runtime = m_controller->Runtime();
    CMailSettings mail;
    if (!mail.LoadServer(runtime.DataDir()) || !mail.LoadTexts(runtime.DataDir())) return;
    if (mail.mailCheck == "0") return;
    CMailJob job;
    job.settings = mail;
    job.recipient = tap.mailAddress;
    job.subject = side == 0 ? mail.title : mail.title2;
    job.body = CMailSettings::ReplacePlaceholders(
        side == 0 ? mail.inText : mail.outText, tap.name,
        tap.work->StampDateText() + " " + tap.work->StampTimeText());
    m_controller->MailQueue().Enqueue(std::move(job));
}

}  // namespace stampwell
