#include <iostream>
#include <memory>

#include "CliContext.h"
#include "mail/MailSettings.h"
#include "mail/TestMail.h"

namespace stampwell::cli {

namespace {

int SendTestMail(const CliOptions& options, const std::string& to) {
    if (auto refused = RequireDataDir(options)) return *refused;
    CRuntime runtime = MakeRuntime(options);
    CMailSettings server, texts;
    if (!server.LoadServer(runtime.DataDir())) {
        return Refuse("SendMailDetail.txt がありません。サーバーを設定してください。");
    }
    texts.LoadTexts(runtime.DataDir());
    MailResult result = CTestMail::Send(server, texts, to, runtime.Clock().Now());
    if (!result.ok) return Refuse(result.Describe());
    std::cout << result.Describe() << " 送信先: " << to << '\n';
    return kOk;
}

}  // namespace

void AddMailCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto* mail = app.add_subcommand("mail", "メール通知");
    mail->require_subcommand(1);
    auto to = std::make_shared<std::string>();
    auto* test = mail->add_subcommand("test", "保存されたサーバー設定でテストメールを1通送る");
    test->add_option("--to", *to, "送信先のメールアドレス")->required();
    test->callback([&, to] { action = [&options, to] { return SendTestMail(options, *to); }; });
}

}  // namespace stampwell::cli
