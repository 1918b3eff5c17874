#include <iostream>
#include <memory>

#include "CliContext.h"
#include "CliUsage.h"
#include "officestore/DatabaseExport.h"
#include "officestore/DatabaseImport.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgSchema.h"
#include "settings/StoreChoice.h"

namespace stampwell::cli {

namespace {

int InitDatabase(const std::string& conninfo) {
    std::string why;
    auto connection = CPgConnection::Open(conninfo, why);
    if (!connection) return Refuse(why);
    if (CPgSchema::Init(*connection, why) != CPgSchema::EState::kReady) return Refuse(why);
    std::cout << "データベースの準備ができました（スキーマ " << CPgSchema::KnownVersion()
              << "）。\n";
    return kOk;
}

// --database, or else the database this clock's Store.txt names.
std::optional<std::string> DatabaseOf(const CliOptions& options, const std::string& given) {
    if (!given.empty()) return given;
    if (!options.dataDir) return std::nullopt;
    const auto choice = CStoreChoice::Read(MakeRuntime(options));
    if (!choice || choice->kind != CStoreChoice::EKind::kPostgreSql) return std::nullopt;
    return choice->database;
}

constexpr const char* kNoDatabase =
    "データベースを --database で指定してください（または --data-dir の端末の保存先をデータベース"
    "にしておいてください）。";

CRuntime FolderRuntime(const CliOptions& options, const std::filesystem::path& folder) {
    CliOptions other = options;
    other.dataDir = folder;
    return MakeRuntime(other);
}

int ImportFolder(const CliOptions& options, const std::string& given,
                 const std::filesystem::path& folder) {
    const auto conninfo = DatabaseOf(options, given);
    if (!conninfo) return Refuse(kNoDatabase);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        return Refuse("取り込むデータフォルダがありません: " + folder.string());
    }
    CDatabaseImport::Counts counts;
    std::string why;
    if (!CDatabaseImport::Run(FolderRuntime(options, folder), *conninfo, counts, why)) {
        return Refuse(why + "\nデータベースには何も取り込んでいません。");
    }
    if (counts.already) {
        std::cout << "このフォルダはもう取り込まれています。何も追加しませんでした。\n";
        return kOk;
    }
    std::cout << "取り込みました: 勤務記録 " << counts.records << " 件、社員 " << counts.employees
              << " 人（カード " << counts.cards << " 枚）、管理者 " << counts.admins
              << " 人、修正履歴 " << counts.trail << " 行、有給休暇と就業ルール\n";
    return kOk;
}

int ExportFolder(const CliOptions& options, const std::string& given,
                 const std::filesystem::path& folder) {
    const auto conninfo = DatabaseOf(options, given);
    if (!conninfo) return Refuse(kNoDatabase);
    CDatabaseExport::Result result;
    std::string why;
    if (!CDatabaseExport::Run(*conninfo, FolderRuntime(options, folder), result, why)) {
        return Refuse(why);
    }
    std::cout << "書き出しました: " << folder.string() << "（勤務記録 " << result.records
              << " 件、社員 " << result.people << " 人、修正履歴 " << result.trail << " 行）\n";
    if (!result.passwords.empty()) {
        std::cout << "データベースにはパスワードを保存していないため、管理者には新しいパスワードを"
                     "付けました。各管理者に伝え、ログイン後に変更してください:\n";
        for (const auto& [id, password] : result.passwords)
            std::cout << "  " << id << ": " << password << '\n';
    }
    return kOk;
}

}  // namespace

void AddDbCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto* db = app.add_subcommand("db", "会社の記録を置く PostgreSQL データベース");
    db->require_subcommand(1);
    auto conninfo = std::make_shared<std::string>();
    auto* init = db->add_subcommand(
        "init",
        "データベースに Stampwell の表を作る、または新しい版に合わせる（何度実行してもよい）");
    init->add_option("--database", *conninfo,
                     "接続文字列（host=… dbname=… user=…、または postgresql://…）。パスワード"
                     "は ~/.pgpass などで libpq に渡す")
        ->required();
    init->callback(
        [&action, conninfo] { action = [conninfo] { return InitDatabase(*conninfo); }; });

    auto folder = std::make_shared<std::filesystem::path>();
    auto* import = db->add_subcommand(
        "import",
        "データフォルダ（勤務記録、カード登録者、管理者、修正履歴、有給休暇、就業ルール）を空の"
        "データベースに1回のトランザクションで取り込む（同じフォルダを2回取り込んでも何も増えない"
        "）");
    import->add_option("folder", *folder, "取り込むデータフォルダ")->required();
    import->add_option("--database", *conninfo,
                       "接続文字列（省略時は --data-dir の端末の保存先のデータベース）");
    import->callback([&options, &action, conninfo, folder] {
        action = [&options, conninfo, folder] { return ImportFolder(options, *conninfo, *folder);
};
}  // namespace stampwell::cli
);
auto* exp = db->add_subcommand(
    "export",
    "データベースの記録を、共有フォルダ用のデータフォルダとして書き出す（空のフォルダへ）");
exp->add_option("folder", *folder, "書き出し先のフォルダ")->required();
exp->add_option("--database", *conninfo,
                "接続文字列（省略時は --data-dir の端末の保存先のデータベース）");
exp->callback([&options, &action, conninfo, folder] {
    action = [&options, conninfo, folder] { return ExportFolder(options, *conninfo, *folder); };
});
}

}  // namespace stampwell::cli
