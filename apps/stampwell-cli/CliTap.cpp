#include <algorithm>
#include <iostream>

#include "CliContext.h"
#include "RecorderCommand/IRegisterScreen.h"
#include "RecorderCommand/RecorderCommand.h"
#include "controller/RecorderController.h"
#include "controller/SideSelector.h"
#include "mail/MailQueue.h"
#include "officestore/OfficeStores.h"
#include "people/PersonText.h"
#include "personnel/UserRules.h"
#include "platform/IPrompt.h"
#include "reader/FelicaReader.h"
#include "settings/EnvironmentSettings.h"
#include "store/IPeopleStore.h"
#include "store/IWorkStore.h"
#include "workfile/IStampSide.h"

namespace stampwell::cli {

namespace {

struct TapArgs {
    std::string card;
    bool start = false, end = false, yes = false, no = false;
};

// The registration screen as a console: the result line goes to stdout.
class CConsoleScreen : public IRegisterScreen, public IStampSide {
public:
    void ResetScreen(int) override {}
    void SelectStart() override { m_end = false; }
    void SelectEnd() override { m_end = true; }
    void BeginStamp() override {}
    void ShowResult() override {
        std::cout << m_result << '\n';
        recorded = true;
    }
    void ShowKeptHere() override {
        std::cerr
            << "記録先に接続できないため、この端末に預かっています（つながったときに送ります）。\n";
    }
    void StopReading() override {}
    void ShowReaderAway(bool) override {}
    void ShowBusyRefusal() override {}
    std::string GetShownName() const override { return m_name; }
    void SetShownName(const std::string& name) override { m_name = name; }
    void SetResultText(const std::string& text) override { m_result = text; }
    bool IsEndSelected() const override { return m_end; }
    bool recorded = false;

private:
    bool m_end = false;
    std::string m_name, m_result;
};

// Messages to stderr; the overwrite question answered by the command line.
class CConsolePrompt : public IPrompt {
public:
    explicit CConsolePrompt(int answer) : m_answer(answer) {}
    void ShowMessage(std::string_view text, EMessageIcon) override { std::cerr << text << '\n'; }
    using IPrompt::AskQuestion;
    int AskQuestion(std::string_view text, EAnswer) override {
        std::cerr << text << (m_answer == kYes ? " -> はい" : " -> いいえ") << '\n';
        return m_answer;
    }
    bool AskYesNo(std::string_view) override { return false; }
    void MovePointerToOrigin() override {}

private:
    int m_answer;
};

// A reader with the given card on it for exactly one poll.
class COneTapReader : public ICardReaderBackend {
public:
    explicit COneTapReader(unsigned char idm[8]) { std::copy(idm, idm + 8, m_idm); }
    bool Open() override { return true; }
    bool Poll(unsigned char idm[8]) override {
        if (m_used) return false;
        m_used = true;
        std::copy(m_idm, m_idm + 8, idm);
        return true;
    }
    bool IsDisconnected() override { return false; }

private:
    unsigned char m_idm[8] = {};
    bool m_used = false;
};

int Tap(const CliOptions& options, const TapArgs& args) {
    std::string card = CPersonText::NormalizeCardId(args.card);
    if (!CPersonText::IsCardId(card)) return Refuse("カードIDは16桁の16進数で指定してください。");
    unsigned char idm[8];
    for (int i = 0; i < 8; ++i)
        idm[i] = static_cast<unsigned char>(std::stoi(card.substr(i * 2, 2), nullptr, 16));

    CRuntime runtime = MakeRuntime(options);
    CConsolePrompt prompt(args.yes ? IPrompt::kYes : IPrompt::kNo);
    CConsoleScreen screen;
    auto controller = std::make_unique<CRecorderController>(runtime, prompt);
    controller->SetScreen(&screen, &screen);
    controller->CreateSettingsObjects();
    controller->SetReader(
        std::make_shared<CFelicaReader>(std::make_unique<COneTapReader>(idm), true, prompt));
    auto reg = OpenPeopleStore(runtime);
    auto work = OpenWorkStore(runtime);
    controller->AttachRegister(reg.get());
    controller->AttachWorkReport(work.get());
    bool end = args.end ||
               (!args.start &&
                CSideSelector::SelectsEnd(runtime.Clock().Now(), controller->GetSettings().get()));
    end ? screen.SelectEnd() : screen.SelectStart();
    controller->GetReadCommand()->Execute();
    // The mail goes out like the time clock's, and the command waits for it.
    controller->MailQueue().WaitIdle();
    return screen.recorded ? kOk : kRefused;
}

}  // namespace

void AddTapCommand(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto args = std::make_shared<TapArgs>();
    auto* tap = app.add_subcommand("tap", "カードをかざしたのと同じように打刻する");
    tap->add_option("card", args->card, "カードのID（16桁の16進数）")->required();
    auto* start = tap->add_flag("--start", args->start,
                                "出社（入室）として打刻する（既定は出退社切換え時刻で決める）");
    tap->add_flag("--end", args->end, "退社（退室）として打刻する")->excludes(start);
    auto* yes = tap->add_flag("--yes", args->yes, "今日の記録の上書きを聞かれたら「はい」と答える");
    tap->add_flag("--no", args->no, "今日の記録の上書きを聞かれたら「いいえ」と答える（既定）")
        ->excludes(yes);
    tap->callback([&, args] { action = [&options, args] { return Tap(options, *args); }; });
}

}  // namespace stampwell::cli
