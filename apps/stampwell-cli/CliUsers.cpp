#include <algorithm>
#include <iostream>

#include "CliContext.h"
#include "leave/LeaveBook.h"
#include "leave/LeaveChange.h"
#include "officestore/OfficeStores.h"
#include "people/PersonText.h"
#include "personnel/UserRules.h"
#include "settings/EnvironmentSettings.h"
#include "store/IPeopleStore.h"
#include "store/LeaveStoreChange.h"
#include "text/JapaneseOrder.h"

namespace stampwell::cli {

namespace {

struct UserArgs {
    std::string card, name, newName, mailName, mailAddress;
    bool hasCard = false, hasNewName = false, hasMailName = false, hasMailAddress = false;
};

std::shared_ptr<IPeopleStore> OpenRegister(const CRuntime& runtime) {
    auto reg = OpenPeopleStore(runtime);
    reg->SetPathSource(CreateConfig(runtime));
    return reg;
}

int ListUsers(const CliOptions& options) {
    if (auto refused = RequireDataDir(options)) return *refused;
    auto reg = OpenRegister(MakeRuntime(options));
    auto records = reg->ReadAll();
    // In Japanese order, as the screens list them (records of one name keep their file order).
    const CJapaneseOrder order;
    std::vector<std::pair<std::string, std::size_t>> keys;
    for (std::size_t i = 0; i < records.size(); ++i) {
        keys.emplace_back(order.SortKey(records[i].personalName), i);
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<decltype(records)::value_type> sorted;
    for (const auto& key : keys) sorted.push_back(records[key.second]);
    records = std::move(sorted);
    for (const auto& record : records) {
        std::cout << record.cardId << ',' << record.personalName << ',' << record.mailName << ','
                  << record.mailAddress << '\n';
    }
    return kOk;
}

int AddUser(const CliOptions& options, const UserArgs& args) {
    if (args.name.empty()) return Refuse("登録名が入力されていません。");
    const std::string card = CPersonText::NormalizeCardId(args.card);
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
    if (args.hasCard) card = CPersonText::NormalizeCardId(args.card);
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
    // The paid leave is kept by name: it follows the rename.
    const CRuntime runtime = MakeRuntime(options);
    if (!CLeaveStoreChange::CarryRename(*OpenLeaveStore(runtime, *CreateConfig(runtime)), args.name,
                                        newName, runtime.Messages())) {
        return kRefused;
    }
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
    auto* users = app.add_subcommand("users", "社員とカード（Register.txt）");
    users->require_subcommand(1);

    users
        ->add_subcommand(
            "list",
            "カードID,登録名,メール宛名,メールアドレス を1行ずつ、登録名の日本語順に表示する")
        ->callback([&] { action = [&options] { return ListUsers(options); }; });

    auto* add = users->add_subcommand("add", "社員を登録する");
    add->add_option("--card", args->card, "カードのID（16桁の16進数）")->required();
    add->add_option("--name", args->name, "登録名（Shift-JISで1～32バイト）")->required();
    add->add_option("--mail-name", args->mailName, "メールの宛名");
    add->add_option("--mail-address", args->mailAddress, "メールアドレス");
    add->callback([&, args] { action = [&options, args] { return AddUser(options, *args); }; });

    auto* change = users->add_subcommand("change", "社員を変更する");
    change->add_option("--name", args->name, "変更する社員の今の登録名")->required();
    change->add_option("--new-name", args->newName, "新しい登録名")
        ->each([args](const std::string&) { args->hasNewName = true; });
    change->add_option("--card", args->card, "新しいカードのID")->each([args](const std::string&) {
        args->hasCard = true;
    });
    change->add_option("--mail-name", args->mailName, "メールの宛名（空にすると宛名なし）")
        ->each([args](const std::string&) { args->hasMailName = true; });
    change
        ->add_option("--mail-address", args->mailAddress, "メールアドレス（空にするとメールなし）")
        ->each([args](const std::string&) { args->hasMailAddress = true; });
    change->callback(
        [&, args] { action = [&options, args] { return ChangeUser(options, *args); }; });

    auto* remove = users->add_subcommand("delete", "その登録名の行をすべて削除する");
    remove->add_option("--name", args->name, "登録名")->required();
    remove->callback(
        [&, args] { action = [&options, args] { return DeleteUser(options, *args); }; });
}

}  // namespace stampwell::cli
