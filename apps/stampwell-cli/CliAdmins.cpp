#include <algorithm>
#include <iostream>

#include "CliContext.h"
#include "people/AdminFile.h"
#include "people/UserRules.h"

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
    auto admins = CreateAdminFile(MakeRuntime(options));
    for (const auto& admin : admins->GetAdminList()) {
        std::cout << admin.id << (admin.hasCard ? " (card)" : " (no card)") << '\n';
    }
    return kOk;
}

int AddAdmin(const CliOptions& options, AdminArgs args) {
    if (!ReadPassword(args)) return Refuse("標準入力からパスワードを読めませんでした。");
    if (!args.hasPassword)
        return Refuse("パスワードを --password か --password-stdin で指定してください。");
    const std::string card = CUserRules::NormalizeCardId(args.card);
    auto admins = CreateAdminFile(MakeRuntime(options));
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
    auto admins = CreateAdminFile(MakeRuntime(options));
    admins->SetId(args.id);
    if (!admins->ExistsId()) return Refuse("登録されていない管理者です: " + args.id);
    admins->SetPreviousId(args.id);
    admins->LoadAdmin();
    std::string newId = args.newId.empty() ? args.id : args.newId;
    std::string password = args.hasPassword ? args.password : admins->GetPassword();
    std::string card =
        args.noCard ? std::string{}
                    : (args.hasCard ? CUserRules::NormalizeCardId(args.card) : admins->GetCardId());
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
    auto admins = CreateAdminFile(MakeRuntime(options));
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
    auto* admins = app.add_subcommand("admins", "administrators (Admin.dat)");
    admins->require_subcommand(1);

    admins->add_subcommand("list", "administrator IDs, and whether each has a card")->callback([&] {
        action = [&options] { return ListAdmins(options); };
    });

    auto* add = admins->add_subcommand("add", "register an administrator (at most three)");
    add->add_option("--id", args->id, "administrator ID, up to 32 bytes")->required();
    auto* addPassword =
        add->add_option("--password", args->password, "password, up to 16 bytes, no blanks")
            ->each([args](const std::string&) { args->hasPassword = true; });
    add->add_flag("--password-stdin", args->passwordStdin,
                  "read the password from the first line of standard input")
        ->excludes(addPassword);
    add->add_option("--card", args->card, "login card, 16 hex digits");
    add->callback([&, args] { action = [&options, args] { return AddAdmin(options, *args); }; });

    auto* change = admins->add_subcommand("change", "change an administrator");
    change->add_option("--id", args->id, "the administrator's current ID")->required();
    change->add_option("--new-id", args->newId, "new ID");
    auto* changePassword = change->add_option("--password", args->password, "new password")
                               ->each([args](const std::string&) { args->hasPassword = true; });
    change
        ->add_flag("--password-stdin", args->passwordStdin,
                   "read the new password from the first line of standard input")
        ->excludes(changePassword);
    auto* card = change->add_option("--card", args->card, "new login card")
                     ->each([args](const std::string&) { args->hasCard = true; });
    change->add_flag("--no-card", args->noCard, "remove the login card")->excludes(card);
    change->callback(
        [&, args] { action = [&options, args] { return ChangeAdmin(options, *args); }; });

    auto* remove = admins->add_subcommand("delete", "delete an administrator");
    remove->add_option("--id", args->id, "administrator ID")->required();
    remove->add_flag("--force", args->force, "delete even the last administrator");
    remove->callback(
        [&, args] { action = [&options, args] { return DeleteAdmin(options, *args); }; });
}

}  // namespace stampwell::cli
