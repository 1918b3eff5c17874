#include <iostream>
#include <memory>

#include "CliContext.h"
#include "CliUsage.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgSchema.h"

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

}  // namespace

void AddDbCommands(CLI::App& app, const CliOptions&, CommandResult& action) {
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
}

}  // namespace stampwell::cli
