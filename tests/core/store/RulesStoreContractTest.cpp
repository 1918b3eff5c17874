// What every keeper of the office's work rules must do, written against the store's face: a
// change is made over the rules as stored at that moment, so what another administrator saved
// meanwhile stays, and a change kept from the store by another writer leaves the rules as they
// were. Each store the program has runs the same cases.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include "folderstore/FolderRulesStore.h"
#include "pgstore/PgConnection.h"
#include "pgstore/PgRulesStore.h"
#include "platform/FileLock.h"
#include "settings/WorkRulesForm.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace {

struct StoreKind {
    const char* name;
    std::function<std::shared_ptr<IRulesStore>(const CRuntime&)> open;
    // Holds the store against every other writer while alive (another program in the middle
    // of its change).
    std::function<std::shared_ptr<void>(const CRuntime&)> holdAgainstWriters;
};

// Test names and failures name the store, not its bytes.
void PrintTo(const StoreKind& kind, std::ostream* out) {
    *out << kind.name;
}

const StoreKind kFolder{
    "Folder",
    [](const CRuntime& runtime) -> std::shared_ptr<IRulesStore> {
        return std::make_shared<CFolderRulesStore>(runtime);
    },
    [](const CRuntime& runtime) -> std::shared_ptr<void> {
        return std::make_shared<CFileLock>(runtime.DataDir() / "WorkRules.txt.lock");
    }};

// The company database: each test's office a database of its own on the test program's server.
const StoreKind kDatabase{
    "Database",
    [](const CRuntime& runtime) -> std::shared_ptr<IRulesStore> {
        return std::make_shared<CPgRulesStore>(test::PgOfficeFor(runtime.DataDir()),
                                               runtime.LockWait());
    },
    [](const CRuntime& runtime) -> std::shared_ptr<void> {
        std::string why;
        std::shared_ptr<CPgConnection> held =
            CPgConnection::Open(test::PgOfficeFor(runtime.DataDir()), why);
        EXPECT_TRUE(held) << why;
        if (held) {
            EXPECT_TRUE(held->ExecScript("BEGIN").Ok());
            EXPECT_TRUE(held->ExecScript("LOCK TABLE stampwell.work_rules IN EXCLUSIVE MODE").Ok());
        }
        return held;
    }};

class RulesStoreContract : public ::testing::TestWithParam<StoreKind> {
protected:
    bool Save(const CWorkRules& shown, const CWorkRules& typed, CWorkRules* saved = nullptr) {
        return GetParam().open(t.runtime)->Apply(
            [&](CWorkRules& stored) { return CWorkRulesForm::Merge(stored, shown, typed); },
            *t.sink, saved);
    }
    CWorkRules Stored() {
        CWorkRules rules;
        EXPECT_TRUE(GetParam().open(t.runtime)->Read(rules));
        return rules;
    }
    test::CTestRuntime t;
};

}  // namespace

TEST_P(RulesStoreContract, ASaveKeepsWhatAnotherAdministratorChangedMeanwhile) {
    const CWorkRules shown;  // both screens opened on the defaults
    CWorkRules other = shown;
    other.restDay = 6;
    ASSERT_TRUE(Save(shown, other));
    CWorkRules mine = shown;
    mine.weekStart = 1;
    CWorkRules saved;
    ASSERT_TRUE(Save(shown, mine, &saved));
    EXPECT_EQ(saved.weekStart, 1);
    EXPECT_EQ(saved.restDay, 6);
    EXPECT_EQ(Stored(), saved);

    // Rules that cannot be used together are refused with why, and nothing changes.
    CWorkRules broken = saved;
    broken.breaks = CWorkRules::EBreaks::kFixed;
    broken.windows.clear();
    EXPECT_FALSE(Save(saved, broken));
    EXPECT_FALSE(t.sink->messages.empty());
    EXPECT_EQ(Stored(), saved);

    // Another program is in the middle of its change: a message, and the rules as they were.
    t.runtime.SetLockWait(std::chrono::milliseconds(50));
    {
        const auto held = GetParam().holdAgainstWriters(t.runtime);
        mine.weekStart = 2;
        EXPECT_FALSE(Save(saved, mine));
    }
    EXPECT_EQ(t.sink->messages.back().rfind("他の端末が勤務ルールを変更中", 0), 0u);
    EXPECT_EQ(Stored(), saved);
}

INSTANTIATE_TEST_SUITE_P(Stores, RulesStoreContract, ::testing::Values(kFolder, kDatabase),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace stampwell
