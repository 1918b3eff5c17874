#include <algorithm>
#include <iostream>

#include "CliContext.h"
#include "officestore/OfficeStores.h"
#include "people/PersonText.h"
#include "personnel/UserRules.h"
#include "text/JapaneseOrder.h"

namespace stampwell::cli {

namespace {

struct AdminArgs {
    std::string id, newId, password, card;
    bool hasPassword = false, hasCard = false, noCard = false, passwordStdin = false;
    bool force = false;
};

// The password from the first line of standard input, so it stays out of the shell's history.
bool ReadPassword(AdminArgs& args) {
    if (!args.passwordStdin) return true;
    std::string line;
    if (!std::getline(std::cin, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    args.password = line;
    args.hasPassword = true;
    return true;
}

int ListAdmins(const CliOptions& options) {
    if (auto refused = RequireDataDir(options)) return *refused;
    auto admins = OpenAdminStore(MakeRuntime(options));
    auto list = admins->GetAdminList();
    // In the order of the screen's list.
    const CJapaneseOrder order;
    std::vector<std::pair<std::string, std::size_t>> keys;
    for (std::size_t i = 0; i < list.size(); ++i) keys.emplace_back(order.SortKey(list[i].id), i);
    std::sort(keys.begin(), keys.end());
    for (const auto& key : keys) {
        const auto& admin = list[key.second];
        std::cout << admin.id << (admin.hasCard ? " (カード登録あり)" : " (カード未登録)") << '\n';
    }
    return kOk;
}

int AddAdmin(const CliOptions& options, AdminArgs args) {
    if (!ReadPassword(args)) return Refuse("標準入力からパスワードを読めませんでした。");
    if (!args.hasPassword)
        return Refuse("パスワードを --password か --password-stdin で指定してください。");
    const std::string card = CPersonText::NormalizeCardId(args.card);
    auto admins = OpenAdminStore(MakeRuntime(options));
    if (auto refusal = CUserRules::CheckAdmin(*admins, args.id, args.password, card, {})) {
        return Refuse(*refusal);
    }
    admins->SetId(args.id);
    admins->SetPassword(args.password);
    admins->SetCardId(card);
    if (!admins->AddAdmin()) return Refuse(admins->LastRefusalMessage());
    std::cout << "登録しました: " << args.id << '\n';
    return kOk;
}

int ChangeAdmin(const CliOptions& options, AdminArgs args) {
    if (!ReadPassword(args)) return Refuse("標準入力からパスワードを読めませんでした。");
    auto admins = OpenAdminStore(MakeRuntime(options));
    admins->SetId(args.id);
    if (!admins->ExistsId()) return Refuse("登録されていない管理者です: " + args.id);
    admins->SetPreviousId(args.id);
    admins->LoadAdmin();
    std::string newId = args.newId.empty() ? args.id : args.newId;
    std::string password = args.hasPassword ? args.password : admins->GetPassword();
    std::string card = args.noCard ? std::string{}
                                   : (args.hasCard ? CPersonText::NormalizeCardId(args.card)
                                                   : admins->GetCardId());
    if (auto refusal = CUserRules::CheckAdmin(*admins, newId, password, card, args.id)) {
        return Refuse(*refusal);
    }
    admins->SetId(newId);
    admins->SetPassword(password);
    admins->SetCardId(card);
    if (!admins->ChangeAdmin()) return Refuse(admins->LastRefusalMessage());
    std::cout << "変更しました: " << newId << '\n';
    return kOk;
}

int DeleteAdmin(const CliOptions& options, const AdminArgs& args) {
    auto admins = OpenAdminStore(MakeRuntime(options));
    admins->SetId(args.id);
    if (!admins->ExistsId()) return Refuse("登録されていない管理者です: " + args.id);
    std::vector<std::string> ids;
    admins->GetIdList(ids);
    const bool last =
        std::all_of(ids.begin(), ids.end(), [&](const auto& id) { return id == args.id; });
    if (last && !args.force) {
        return Refuse(
            "最後の管理者です。削除すると、次の起動時に最初の管理者の登録を求められます。\n"
            "削除するには --force を付けてください。");
    }
    if (!admins->DeleteAdmin()) return Refuse(admins->LastRefusalMessage());
    std::cout << "削除しました: " << args.id << '\n';
    if (last) {
        std::cerr << "管理者がいなくなりました。次の起動時に最初の管理者の登録を求められます。\n";
    }
    return kOk;
}

}  // namespace

void AddAdminCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto args = std::make_shared<AdminArgs>();
    auto* admins = app.add_subcommand("admins", "管理者（Admin.dat）");
    admins->require_subcommand(1);

    admins->add_subcommand("list", "管理者IDとカード登録の有無を日本語順に表示する")->callback([&] {
        action = [&options] { return ListAdmins(options); };
    });

    auto* add = admins->add_subcommand("add", "管理者を登録する（3人まで）");
    add->add_option("--id", args->id, "管理者ID（32バイトまで）")->required();
    auto* addPassword =
        add->add_option("--password", args->password, "パスワード（16バイトまで、空白なし）")
            ->each([args](const std::string&) { args->hasPassword = true; });
    add->add_flag("--password-stdin", args->passwordStdin, "パスワードを標準入力の1行目から読む")
        ->excludes(addPassword);
    add->add_option("--card", args->card, "ログイン用カードのID（16桁の16進数）");
    add->callback([&, args] { action = [&options, args] { return AddAdmin(options, *args); }; });

    auto* change = admins->add_subcommand("change", "管理者を変更する");
    change->add_option("--id", args->id, "変更する管理者の今のID")->required();
    change->add_option("--new-id", args->newId, "新しいID");
    auto* changePassword = change->add_option("--password", args->password, "新しいパスワード")
                               ->each([args](const std::string&) { args->hasPassword = true; });
    change
        ->add_flag("--password-stdin", args->passwordStdin,
                   "新しいパスワードを標準入力の1行目から読む")
        ->excludes(changePassword);
    auto* card = change->add_option("--card", args->card, "新しいログイン用カードのID")
                     ->each([args](const std::string&) { args->hasCard = true; });
    change->add_flag("--no-card", args->noCard, "ログイン用カードの登録を外す")->excludes(card);
    change->callback(
        [&, args] { action = [&options, args] { return ChangeAdmin(options, *args); }; });

    auto* remove = admins->add_subcommand("delete", "管理者を削除する");
    remove->add_option("--id", args->id, "管理者ID")->required();
    remove->add_flag("--force", args->force, "最後の管理者でも削除する");
    remove->callback(
        [&, args] { action = [&options, args] { return DeleteAdmin(options, *args); }; });
}

}  // namespace stampwell::cli
