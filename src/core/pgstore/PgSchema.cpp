#include "pgstore/PgSchema.h"

#include "pgstore/PgConnection.h"

namespace stampwell {

namespace {

// Never edit a migration that a release has applied: add the next one.
const char* const kVersion1 = R"sql(
CREATE SCHEMA stampwell;
CREATE TABLE stampwell.schema_version (version integer NOT NULL);
INSERT INTO stampwell.schema_version VALUES (0);
CREATE TABLE stampwell.sites (
    id serial PRIMARY KEY,
    name text NOT NULL UNIQUE
);
CREATE TABLE stampwell.employees (
    id serial PRIMARY KEY,
    name text NOT NULL UNIQUE,
    mail_name text NOT NULL DEFAULT '',
    mail_address text NOT NULL DEFAULT '',
    position integer NOT NULL
);
CREATE TABLE stampwell.cards (
    card char(16) PRIMARY KEY,
    employee_id integer NOT NULL REFERENCES stampwell.employees ON DELETE CASCADE
);
CREATE TABLE stampwell.admins (
    id text PRIMARY KEY,
    card char(16) UNIQUE,
    password_hash text NOT NULL,
    position integer NOT NULL
);
CREATE TABLE stampwell.work_records (
    id bigserial PRIMARY KEY,
    employee text NOT NULL,
    working_day date NOT NULL,
    side smallint NOT NULL CHECK (side IN (0, 1)),
    time text NOT NULL CHECK (time ~ '^[0-9]{2}:[0-5][0-9]$'),
    site_id integer REFERENCES stampwell.sites,
    tap_id text UNIQUE,
    row_version integer NOT NULL DEFAULT 1,
    recorded_at timestamptz NOT NULL DEFAULT now()
);
CREATE INDEX work_records_day ON stampwell.work_records (working_day, employee, side);
CREATE TABLE stampwell.trail (
    id bigserial PRIMARY KEY,
    saved_at text NOT NULL,
    admin text NOT NULL,
    employee text NOT NULL,
    working_day text NOT NULL,
    side text NOT NULL,
    before text NOT NULL,
    after text NOT NULL,
    reason text NOT NULL
);
CREATE TABLE stampwell.leave_book (
    position integer PRIMARY KEY,
    line text NOT NULL
);
CREATE TABLE stampwell.work_rules (
    position integer PRIMARY KEY,
    line text NOT NULL
);
CREATE TABLE stampwell.settings (
    key text PRIMARY KEY,
    value text NOT NULL
);
)sql";

// The state of each trail line, as the folder's trail keeps it: 0 stored, 1 not stored (the
// save failed), 2 not known yet (a save cut short). The database's own saves are all 0.
const char* const kVersion2 = R"sql(
ALTER TABLE stampwell.trail ADD COLUMN state smallint NOT NULL DEFAULT 0
    CHECK (state IN (0, 1, 2));
)sql";

constexpr const char* kLock = "SELECT pg_advisory_xact_lock(hashtext('stampwell schema'))";

}  // namespace

const std::vector<std::string>& CPgSchema::Migrations() {
    static const std::vector<std::string> migrations = {kVersion1, kVersion2};
    return migrations;
}

int CPgSchema::StoredVersion(CPgConnection& connection) {
    const auto ours = connection.Exec(
        "SELECT to_regclass('stampwell.schema_version') IS NOT NULL, "
        "EXISTS (SELECT 1 FROM pg_namespace WHERE nspname = 'stampwell')");
    if (!ours.Ok() || ours.Rows() != 1) return kUnreadable;
    if (ours.Value(0, 0) != "t") return ours.Value(0, 1) == "t" ? kForeign : 0;
    const auto version = connection.Exec("SELECT max(version) FROM stampwell.schema_version");
    if (!version.Ok() || version.Rows() != 1) return kUnreadable;
    if (version.IsNull(0, 0)) return kForeign;
    return std::stoi(version.Value(0, 0));
}

CPgSchema::EState CPgSchema::Check(CPgConnection& connection, std::string& why) {
    const int version = StoredVersion(connection);
    if (version == KnownVersion()) return EState::kReady;
    if (version == kUnreadable) {
        why = "データベースを読めませんでした: " + connection.LastError();
        return EState::kFailed;
    }
    if (version > KnownVersion()) {
        why = "このデータベースは新しいStampwellで作られています（スキーマ " +
              std::to_string(version) + "、このプログラムは " + std::to_string(KnownVersion()) +
              " まで）。Stampwellを更新してください。";
        return EState::kNewer;
    }
    if (version == kForeign) {
        why =
            "Stampwellのものではないデータベースです（スキーマ stampwell "
            "に版の記録がありません）。Stampwell用のデータベースを指定してください。";
        return EState::kForeign;
    }
    why = "データベースの準備ができていません。stampwell-cli db init を実行してください。";
    return EState::kFailed;
}

CPgSchema::EState CPgSchema::Init(CPgConnection& connection, std::string& why) {
    auto fail = [&](const CPgResult& result) {
        why = "データベースを準備できませんでした: " + result.Error();
        connection.ExecScript("ROLLBACK");
        return EState::kFailed;
    };
    const auto begin = connection.ExecScript("BEGIN");
    if (!begin.Ok()) return fail(begin);
    const auto lock = connection.Exec(kLock);
    if (!lock.Ok()) return fail(lock);
    const int version = StoredVersion(connection);
    if (version < 0 || version > KnownVersion()) {
        connection.ExecScript("ROLLBACK");
        return Check(connection, why);
    }
    for (int next = version + 1; next <= KnownVersion(); ++next) {
        const auto applied =
            connection.ExecScript(Migrations()[static_cast<std::size_t>(next - 1)]);
        if (!applied.Ok()) return fail(applied);
        const auto noted = connection.Exec("UPDATE stampwell.schema_version SET version = $1",
                                           {std::to_string(next)});
        if (!noted.Ok()) return fail(noted);
    }
    const auto commit = connection.ExecScript("COMMIT");
    if (!commit.Ok()) return fail(commit);
    return EState::kReady;
}

}  // namespace stampwell
