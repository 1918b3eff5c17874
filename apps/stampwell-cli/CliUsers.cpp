#include <algorithm>
#include <iostream>

#include "CliContext.h"
#include "people/RegisterFile.h"
#include "people/UserRules.h"
#include "settings/EnvironmentSettings.h"
#include "text/JapaneseOrder.h"

namespace stampwell::cli {

namespace {

struct UserArgs {
    std::string card, name, newName, mailName, mailAddress;
    bool hasCard = false, hasNewName = false, hasMailName = false, hasMailAddress = false;
};

std::shared_ptr<CRegisterFile> OpenRegister(const CRuntime& runtime) {
    auto reg = CreateRegisterFile(runtime);
    reg->SetPathSource(CreateConfig(runtime));
    return reg;
}

int ListUsers(const CliOptions& options) {
    if (auto refused = RequireDataDir(options)) return *refused;
    auto reg = OpenRegister(MakeRuntime(options));
    auto records = reg->ReadAll();
    // In Japanese order, as the screens list them (records of one name keep their file order).
    std::stable_sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
        return CJapaneseOrder::Less(a.personalName, b.personalName);
    });
    for (const auto& record : records) {
        std::cout << record.cardId << ',' << record.personalName << ',' << record.mailName << ','
                  << record.mailAddress << '\n';
    }
    return kOk;
}

int AddUser(const CliOptions& options, const UserArgs& args) {
    if (args.name.empty()) return Refuse("登録名が入力されていません。");
    const std::string card = CUserRules::NormalizeCardId(args.card);
    auto reg = OpenRegister(MakeRuntime(options));
    if (auto refusal =
            CUserRules::CheckUser(*reg, card, args.name, args.mailName, args.mailAddress, {})) {
        return Refuse(*refusal);
    }
    reg->SetCardId(card);
    reg->SetName(args.name);
    reg->SetMailName(args.mailName);
    reg->SetMailAddress(args.mailAddress);
    if (!reg->AddRecord())
        return Refuse(
            reg->FailureMessage("ユーザーを記録できませんでした。\nパス設定を確認してください。"));
    std::cout << "登録しました: " << args.name << '\n';
    return kOk;
}

int ChangeUser(const CliOptions& options, const UserArgs& args) {
    auto reg = OpenRegister(MakeRuntime(options));
    std::string card = reg->GetCardIdByName(args.name);
    if (card.empty()) return Refuse("登録されていないユーザーです: " + args.name);
    if (args.hasNewName && args.newName.empty()) return Refuse("登録名が入力されていません。");
    std::string newName = args.newName.empty() ? args.name : args.newName;
    std::string mailName = args.hasMailName ? args.mailName : reg->GetMailNameByName(args.name);
    std::string mailAddress =
        args.hasMailAddress ? args.mailAddress : reg->GetMailAddressByName(args.name);
    if (args.hasCard) card = CUserRules::NormalizeCardId(args.card);
    if (auto refusal =
            CUserRules::CheckUser(*reg, card, newName, mailName, mailAddress, args.name)) {
        return Refuse(*refusal);
    }
    reg->SetPreviousName(args.name);
    reg->SetCardId(card);
    reg->SetName(newName);
    reg->SetMailName(mailName);
    reg->SetMailAddress(mailAddress);
    if (!reg->ChangeRecord()) {
        return Refuse(reg->FailureMessage(
            "登録ファイルを記録できませんでした。\nパス設定を確認してください。"));
    }
    std::cout << "変更しました: " << newName << '\n';
    return kOk;
}

int DeleteUser(const CliOptions& options, const UserArgs& args) {
    auto reg = OpenRegister(MakeRuntime(options));
    if (reg->GetCardIdByName(args.name).empty())
        return Refuse("登録されていないユーザーです: " + args.name);
    reg->SetName(args.name);
    if (!reg->DeleteRecord()) {
        return Refuse(reg->FailureMessage(
            "登録ファイルを記録できませんでした。\nパス設定を確認してください。"));
    }
    std::cout << "削除しました: " << args.name << '\n';
    return kOk;
}

}  // namespace

void AddUserCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto args = std::make_shared<UserArgs>();
    auto* users = app.add_subcommand("users", "employees and their cards (Register.txt)");
    users->require_subcommand(1);

    users->add_subcommand("list", "card,name,mail name,mail address per line, in file order")
        ->callback([&] { action = [&options] { return ListUsers(options); }; });

    auto* add = users->add_subcommand("add", "register an employee");
    add->add_option("--card", args->card, "16 hex digits")->required();
    add->add_option("--name", args->name, "name, 1 to 32 Shift-JIS bytes")->required();
    add->add_option("--mail-name", args->mailName, "recipient's name");
    add->add_option("--mail-address", args->mailAddress, "recipient's address");
    add->callback([&, args] { action = [&options, args] { return AddUser(options, *args); }; });

    auto* change = users->add_subcommand("change", "change an employee");
    change->add_option("--name", args->name, "the employee's current name")->required();
    change->add_option("--new-name", args->newName, "new name")->each([args](const std::string&) {
        args->hasNewName = true;
    });
    change->add_option("--card", args->card, "new card")->each([args](const std::string&) {
        args->hasCard = true;
    });
    change->add_option("--mail-name", args->mailName, "recipient's name (empty: none)")
        ->each([args](const std::string&) { args->hasMailName = true; });
    change->add_option("--mail-address", args->mailAddress, "recipient's address (empty: none)")
        ->each([args](const std::string&) { args->hasMailAddress = true; });
    change->callback(
        [&, args] { action = [&options, args] { return ChangeUser(options, *args); }; });

    auto* remove = users->add_subcommand("delete", "delete every record of a name");
    remove->add_option("--name", args->name, "name")->required();
    remove->callback(
        [&, args] { action = [&options, args] { return DeleteUser(options, *args); }; });
}

}  // namespace stampwell::cli
