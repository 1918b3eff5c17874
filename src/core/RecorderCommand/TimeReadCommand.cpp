#include "RecorderCommand/TimeReadCommand.h"

#include <stdexcept>

#include "RecorderCommand/IRecorderContext.h"
#include "RecorderCommand/IRegisterScreen.h"
#include "people/RegisterFile.h"
#include "platform/IPrompt.h"
#include "reader/FelicaReader.h"
#include "recording/MailQueue.h"
#include "recording/MailSettings.h"
#include "recording/WorkReport.h"
#include "settings/ModeFiles.h"

namespace stampwell {

namespace {
constexpr const char* kFailed = "登録に失敗しました。";
}

std::shared_ptr<RecorderCommand> MakeRecorderCommand(int type, IRecorderContext* controller) {
    if (type != 10) throw std::runtime_error("No RecoderCommand type.");
    return std::make_shared<TimeReadCommand>(controller);
}

void TimeReadCommand::Execute() {
    CFelicaReader* reader = m_controller->GetReader();
    CRegisterFile* reg = m_controller->GetRegister();
    CWorkReport* work = m_controller->GetWorkReport();
    IRegisterScreen* screen = m_controller->GetScreen();
    if (!m_controller->IsScreenActive() || m_controller->IsBusy() || reader == nullptr) return;
    if (reg == nullptr || work == nullptr || screen == nullptr) return;
    IPrompt& prompt = m_controller->Prompt();

    std::string card;
    if (reader->Poll(card)) {
        prompt.MovePointerToOrigin();
        reg->SetCardId(card);
        screen->BeginStamp();
        if (!reg->FindNameByCard()) {
            prompt.ShowMessage("登録されていないカードです。", EMessageIcon::None);
            screen->ResetScreen(0);
        } else {
            const std::string name = reg->GetName();
            work->SetStamp(name);
            screen->SetShownName(name);
            DecideAndRecord(*work, *screen);
        }
    }
    if (reader->IsReaderDisconnected()) {
        screen->StopReading();
        prompt.ShowMessage(
            "FeliCaポートが接続されていません。\n接続を確認しアプリケーションを再起動してください"
            "。",
            EMessageIcon::Stop);
    }
}

void TimeReadCommand::DecideAndRecord(CWorkReport& work, IRegisterScreen& screen) {
    IPrompt& prompt = m_controller->Prompt();
    const bool room = work.GetMode() == kRoomMode;
    int result = work.CheckToday();
    if (result > 0) {
        int answer = prompt.AskQuestion("本日は既に登録済みです。\r\n新しい時間で上書きしますか？");
        if (answer == IPrompt::kNoAnswer) return;
        if (answer == IPrompt::kNo) {
            screen.ResetScreen(0);
            return;
        }
        if (!work.OverwriteRecord(result)) {
            prompt.ShowMessage(kFailed, EMessageIcon::None);
            screen.ResetScreen(0);
            return;
        }
        IStampSide* side = m_controller->GetStampSide();
        ReportSide(work, screen, side != nullptr && side->IsEndSelected() ? 1 : 0);
        return;
    }
    switch (result) {
        case CWorkReport::EntryRecorded:
            ReportSide(work, screen, 0);
            return;
        case CWorkReport::ExitRecorded:
            ReportSide(work, screen, 1);
            return;
        case CWorkReport::WriteFailed:
            prompt.ShowMessage(kFailed, EMessageIcon::None);
            screen.ResetScreen(0);
            return;
        case CWorkReport::TooSoon:
            screen.ResetScreen(1);
            return;
        default:
            break;
    }
    if (!work.RegisterStamp()) {
        prompt.ShowMessage(kFailed, EMessageIcon::None);
        screen.ResetScreen(0);
        return;
    }
    IStampSide* side = m_controller->GetStampSide();
    bool end = !room && side != nullptr && side->IsEndSelected();
    ReportSide(work, screen, end ? 1 : 0);
}

void TimeReadCommand::ReportSide(CWorkReport& work, IRegisterScreen& screen, int side) {
    const bool room = work.GetMode() == kRoomMode;
    int kind = room ? (side == 0 ? 1 : 2) : 0;
    // In room mode the hidden side buttons only choose the sound: entry and exit must sound
    // different whatever hour it is.
    if (room) side == 0 ? screen.SelectStart() : screen.SelectEnd();
    screen.SetResultText(work.MakeResultText(kind));
    screen.ShowResult();
    SendMail(side);
}

void TimeReadCommand::SendMail(int side) {
    const CRuntime& runtime = m_controller->Runtime();
    CRegisterFile* reg = m_controller->GetRegister();
    CWorkReport* work = m_controller->GetWorkReport();
    if (reg == nullptr || work == nullptr) return;
    CMailSettings mail;
    if (!mail.LoadServer(runtime.DataDir()) || !mail.LoadTexts(runtime.DataDir())) return;
    if (mail.mailCheck == "0") return;
    const std::string name = reg->GetName();
    CMailJob job;
    job.settings = mail;
    job.recipient = reg->GetMailAddressByName(name);
    job.subject = side == 0 ? mail.title : mail.title2;
    job.body =
        CMailSettings::ReplacePlaceholders(side == 0 ? mail.inText : mail.outText, name,
                                           work->StampDateText() + " " + work->StampTimeText());
    m_controller->MailQueue().Enqueue(std::move(job));
}

}  // namespace stampwell
