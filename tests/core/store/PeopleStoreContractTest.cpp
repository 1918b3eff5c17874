// What every keeper of the employees and the administrators must do, written against the
// store's faces: a card belongs to one employee and a name to one person, changes made at once
// by several programs all arrive and never break those rules, and the administrators stay at
// most three with unique IDs and cards. Each store the program has runs the same cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <set>

#include "officestore/OfficeStores.h"
#include "pgstore/PgAdminStore.h"
#include "pgstore/PgPeopleStore.h"
#include "settings/EnvironmentSettings.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace {

struct StoreKind {
    const char* name;
    std::function<std::shared_ptr<IPeopleStore>(const CRuntime&)> people;
    std::function<std::shared_ptr<IAdminStore>(const CRuntime&)> admins;
};

void PrintTo(const StoreKind& kind, std::ostream* out) {
    *out << kind.name;
}

const StoreKind kFolder{"Folder", [](const CRuntime& runtime) { return OpenPeopleStore(runtime); },
                        [](const CRuntime& runtime) { return OpenAdminStore(runtime); }};

// The company database: each test's office a database of its own on the test program's server.
const StoreKind kDatabase{"Database",
                          [](const CRuntime& runtime) -> std::shared_ptr<IPeopleStore> {
                              return std::make_shared<CPgPeopleStore>(
                                  test::PgOfficeFor(runtime.DataDir()), runtime.LockWait());
                          },
                          [](const CRuntime& runtime) -> std::shared_ptr<IAdminStore> {
                              return std::make_shared<CPgAdminStore>(
                                  test::PgOfficeFor(runtime.DataDir()), runtime.LockWait());
                          }};

class PeopleStoreContract : public ::testing::TestWithParam<StoreKind> {
protected:
    // The office's store is there before other programs start working on it.
    void SetUp() override { People(); }
    std::shared_ptr<IPeopleStore> People() {
        auto store = GetParam().people(t.runtime);
        store->SetPathSource(CreateConfig(t.runtime));
        return store;
    }
    static int Add(IPeopleStore& store, const std::string& card, const std::string& name) {
        store.SetCardId(card);
        store.SetName(name);
        store.SetMailName("");
        store.SetMailAddress("");
        return store.AddRecord();
    }
    static int AddAdmin(IAdminStore& store, const std::string& id, const std::string& card) {
        store.SetId(id);
        store.SetPreviousId("");
        store.SetCardId(card);
        store.SetPassword("pw-" + id);
        return store.AddAdmin();
    }
    test::CTestRuntime t;
};

}  // namespace

TEST_P(PeopleStoreContract, ACardAndANameBelongToOnePersonThroughAddChangeAndDelete) {
    auto people = People();
    ASSERT_EQ(Add(*people, "AAAAAAAAAAAAAAAA", "山田"), 1);
    ASSERT_EQ(Add(*people, "BBBBBBBBBBBBBBBB", "鈴木"), 1);
    EXPECT_EQ(Add(*people, "AAAAAAAAAAAAAAAA", "佐藤"), 0);  // the card is 山田's
    EXPECT_EQ(Add(*people, "CCCCCCCCCCCCCCCC", "鈴木"), 0);  // the name is taken
    people->SetCardId("BBBBBBBBBBBBBBBB");
    ASSERT_EQ(people->FindNameByCard(), 1);
    EXPECT_EQ(people->GetName(), "鈴木");
    people->SetCardId("DDDDDDDDDDDDDDDD");
    EXPECT_EQ(people->FindNameByCard(), 0);

    // 鈴木 becomes 鈴木花子 with a new card; the old card is nobody's any more.
    people->SetPreviousName("鈴木");
    people->SetCardId("DDDDDDDDDDDDDDDD");
    people->SetName("鈴木花子");
    people->SetMailName("上司");
    people->SetMailAddress("boss@example.com");
    ASSERT_EQ(people->ChangeRecord(), 1);
    auto other = People();  // another program sees the change
    other->SetCardId("BBBBBBBBBBBBBBBB");
    EXPECT_EQ(other->FindNameByCard(), 0);
    EXPECT_EQ(other->GetCardIdByName("鈴木花子"), "DDDDDDDDDDDDDDDD");
    EXPECT_EQ(other->GetMailAddressByName("鈴木花子"), "boss@example.com");
    EXPECT_FALSE(other->HasName("鈴木"));

    people->SetName("山田");
    ASSERT_EQ(people->DeleteRecord(), 1);
    EXPECT_EQ(other->GetAllNames(), std::vector<std::string>{"鈴木花子"});
    EXPECT_EQ(other->GetCount(), 1);
}

TEST_P(PeopleStoreContract, EmployeesAddedByManyProgramsAtOnceAllArriveAndNoCardTwice) {
    std::vector<std::function<bool()>> jobs;
    for (int p = 0; p < 6; ++p) {
        jobs.push_back([this, p] {
            auto people = People();
            bool all = true;
            for (int i = 0; i < 8; ++i) {
                char card[17];
                std::snprintf(card, sizeof card, "%016X", p * 100 + i);
                const std::string name = "社員" + std::to_string(p) + "-" + std::to_string(i);
                // A writer kept out too long by the others is told so and tries again, as an
                // administrator would.
                bool added = false;
                for (int attempt = 0; attempt < 20 && !added; ++attempt) {
                    added = Add(*people, card, name) == 1 || People()->HasName(name);
                }
                all = added && all;
            }
            // Every program also tries one card that another program tries too.
            return Add(*people, "FFFFFFFFFFFFFFFF", "共有" + std::to_string(p)) == 1 || all;
        });
    }
    test::RunAtOnce(jobs);
    const auto all = People()->ReadAll();
    std::set<std::string> cards, names;
    for (const auto& person : all) {
        cards.insert(person.cardId);
        names.insert(person.personalName);
    }
    EXPECT_EQ(all.size(), 6u * 8u + 1u);
    EXPECT_EQ(cards.size(), all.size());
    EXPECT_EQ(names.size(), all.size());
    EXPECT_EQ(cards.count("FFFFFFFFFFFFFFFF"), 1u);
}

// The administrators' part, for the stores that keep administrators.
class AdminStoreContract : public PeopleStoreContract {};

TEST_P(AdminStoreContract, AdministratorsStayAtMostThreeWithTheirOwnIdsAndCardsWhenAddedAtOnce) {
    auto admins = GetParam().admins(t.runtime);
    ASSERT_EQ(AddAdmin(*admins, "first", "A000000000000001"), 1);
    std::vector<std::function<bool()>> jobs;
    const std::vector<std::pair<std::string, std::string>> tries = {
        {"b", "B000000000000001"},
        {"c", "C000000000000001"},
        {"d", "A000000000000001"},
        {"c", "E000000000000001"},
        {"e", ""},
    };
    for (const auto& [id, card] : tries) {
        jobs.push_back([this, id, card] {
            // A writer kept out too long by the others tries again, as an administrator would.
            auto store = GetParam().admins(t.runtime);
            for (int attempt = 0; attempt < 20; ++attempt) {
                if (AddAdmin(*store, id, card) == 1) return true;
                if (store->LastRefusal() != IAdminStore::ERefusal::kBusy) return false;
            }
            return false;
        });
    }
    EXPECT_EQ(test::RunAtOnce(jobs), 2);
    const auto list = GetParam().admins(t.runtime)->GetAdminList();
    EXPECT_EQ(list.size(), 3u);
    std::set<std::string> ids;
    for (const auto& entry : list) ids.insert(entry.id);
    EXPECT_EQ(ids.size(), list.size());
    EXPECT_EQ(ids.count("d"), 0u);  // its card is first's

    auto login = GetParam().admins(t.runtime);
    EXPECT_FALSE(login->LoginWithPassword("first", "wrong"));
    EXPECT_TRUE(login->LoginWithPassword("first", "pw-first"));
    EXPECT_EQ(login->GetLoginId(), "first");
    EXPECT_TRUE(login->LoginWithCard("A000000000000001"));
    EXPECT_FALSE(login->LoginWithCard("9999999999999999"));
    EXPECT_EQ(login->GetLoginId(), "first");
}

INSTANTIATE_TEST_SUITE_P(Stores, PeopleStoreContract, ::testing::Values(kFolder, kDatabase),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Stores, AdminStoreContract, ::testing::Values(kFolder, kDatabase),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace stampwell
