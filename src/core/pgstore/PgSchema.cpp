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

// Who may do what: the clocks' role records taps and reads what a tap needs (never the
// administrators' password hashes, never a past day's record); the administrators' role does
// everything. A login role is granted one of them. An administrator's login at a clock goes
// through functions that never give a hash out: the salt, then a check of the derived key.
const char* const kVersion3 = R"sql(
DO $roles$
BEGIN
    -- Roles belong to the whole server: another database's init may make them at this moment.
    BEGIN
        CREATE ROLE stampwell_clock NOLOGIN;
    EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL;
    END;
    BEGIN
        CREATE ROLE stampwell_admin NOLOGIN;
    EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL;
    END;
END
$roles$;
GRANT USAGE ON SCHEMA stampwell TO stampwell_clock, stampwell_admin;
GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA stampwell TO stampwell_admin;
REVOKE INSERT, UPDATE, DELETE ON stampwell.schema_version FROM stampwell_admin;
GRANT USAGE, SELECT ON ALL SEQUENCES IN SCHEMA stampwell TO stampwell_admin, stampwell_clock;
GRANT SELECT ON stampwell.schema_version, stampwell.sites, stampwell.employees, stampwell.cards,
    stampwell.work_records, stampwell.leave_book, stampwell.work_rules, stampwell.settings
    TO stampwell_clock;
GRANT INSERT ON stampwell.sites, stampwell.work_records TO stampwell_clock;
GRANT UPDATE (time, row_version) ON stampwell.work_records TO stampwell_clock;

ALTER TABLE stampwell.work_records ENABLE ROW LEVEL SECURITY;
CREATE POLICY administrators ON stampwell.work_records TO stampwell_admin
    USING (true) WITH CHECK (true);
CREATE POLICY clocks_read ON stampwell.work_records FOR SELECT TO stampwell_clock
    USING (working_day >= current_date - 1);
CREATE POLICY clocks_tap ON stampwell.work_records FOR INSERT TO stampwell_clock
    WITH CHECK (working_day >= current_date - 1);
CREATE POLICY clocks_overwrite ON stampwell.work_records FOR UPDATE TO stampwell_clock
    USING (working_day >= current_date - 1) WITH CHECK (working_day >= current_date - 1);

CREATE FUNCTION stampwell.admin_list() RETURNS TABLE (id text, has_card boolean)
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp
    AS $f$ SELECT id, card IS NOT NULL FROM stampwell.admins ORDER BY position $f$;
CREATE FUNCTION stampwell.admin_by_card(wanted text) RETURNS text
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp
    AS $f$ SELECT id FROM stampwell.admins WHERE card = wanted $f$;
CREATE FUNCTION stampwell.admin_salt(wanted text) RETURNS text
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp
    AS $f$ SELECT array_to_string((string_to_array(password_hash, '$'))[1:3], '$')
           FROM stampwell.admins WHERE id = wanted $f$;
CREATE FUNCTION stampwell.admin_check(wanted text, derived text) RETURNS boolean
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog, pg_temp
    AS $f$ SELECT EXISTS (SELECT 1 FROM stampwell.admins
                          WHERE id = wanted AND password_hash = derived) $f$;
REVOKE ALL ON FUNCTION stampwell.admin_list(), stampwell.admin_by_card(text),
    stampwell.admin_salt(text), stampwell.admin_check(text, text) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION stampwell.admin_list(), stampwell.admin_by_card(text),
    stampwell.admin_salt(text), stampwell.admin_check(text, text)
    TO stampwell_clock, stampwell_admin;
)sql";

// The payroll clerk's calendar: patterns, holidays, swapped rest days and the closings, as the
// lines of the folder's Schedule.txt.
const char* const kVersion4 = R"sql(
CREATE TABLE stampwell.schedule_book (
    position integer PRIMARY KEY,
    line text NOT NULL
);
GRANT SELECT, INSERT, UPDATE, DELETE ON stampwell.schedule_book TO stampwell_admin;
GRANT SELECT ON stampwell.schedule_book TO stampwell_clock;
)sql";

constexpr const char* kLock = "SELECT pg_advisory_xact_lock(hashtext('stampwell schema'))";

}  // namespace

const std::vector<std::string>& CPgSchema::Migrations() {
    static const std::vector<std::string> migrations = {kVersion1, kVersion2, kVersion3,
                                                              kVersion4};
    return migrations;
}

int CPgSchema::StoredVersion(CPgConnection& connection) {
    const auto schema =
        connection.Exec("SELECT EXISTS (SELECT 1 FROM pg_namespace WHERE nspname = 'stampwell')");
    if (!schema.Ok() || schema.Rows() != 1) return kUnreadable;
    if (schema.Value(0, 0) != "t") return 0;
    // A login without either of Stampwell's roles cannot see into the schema at all.
    const auto usage = connection.Exec("SELECT has_schema_privilege('stampwell', 'USAGE')");
    if (!usage.Ok() || usage.Rows() != 1) return kUnreadable;
    if (usage.Value(0, 0) != "t") return kNoRights;
    const auto ours = connection.Exec("SELECT to_regclass('stampwell.schema_version') IS NOT NULL");
    if (!ours.Ok() || ours.Rows() != 1) return kUnreadable;
    if (ours.Value(0, 0) != "t") return kForeign;
    const auto version = connection.Exec("SELECT max(version) FROM stampwell.schema_version");
    if (version.State() == "42501") return kNoRights;
    if (!version.Ok() || version.Rows() != 1) return kUnreadable;
    if (version.IsNull(0, 0)) return kForeign;
    return std::stoi(version.Value(0, 0));
}

CPgSchema::EState CPgSchema::Check(CPgConnection& connection, std::string& why) {
    const int version = StoredVersion(connection);
    if (version == KnownVersion()) return EState::kReady;
    if (version == kNoRights) {
        why =
            "このログイン（ロール）には Stampwell の表を使う権限がありません。データベースの管理"
            "者に、打刻用の stampwell_clock か管理用の stampwell_admin を付けてもらってくださ"
            "い。";
        return EState::kFailed;
    }
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
