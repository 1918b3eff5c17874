// What every keeper of the paid-leave book must do, written against the store's face: the book
// reads back as changed, a refused change leaves it as it was, writers racing each other lose
// nothing, and a rename of the register is carried only where the book knows the name. Each
// store the program has runs the same cases.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include "folderstore/FolderLeaveStore.h"
#include "leave/LeaveChange.h"
#include "leave/LeaveDate.h"
#include "pgstore/PgLeaveStore.h"
#include "store/LeaveStoreChange.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"

namespace stampwell {

namespace {

struct StoreKind {
    const char* name;
    // A store of the office whose data folder the runtime names (a new object each call, as
    // each program makes its own).
    std::function<std::shared_ptr<ILeaveStore>(const CRuntime&)> open;
};

// Test names and failures name the store, not its bytes.
void PrintTo(const StoreKind& kind, std::ostream* out) {
    *out << kind.name;
}

const StoreKind kFolder{"Folder", [](const CRuntime& runtime) -> std::shared_ptr<ILeaveStore> {
                            return std::make_shared<CFolderLeaveStore>(
                                runtime, runtime.DataDir() / "Register.txt");
                        }};

// The company database: each test's office a database of its own on the test program's server.
const StoreKind kDatabase{"Database", [](const CRuntime& runtime) -> std::shared_ptr<ILeaveStore> {
                              return std::make_shared<CPgLeaveStore>(
                                  test::PgOfficeFor(runtime.DataDir()), runtime.LockWait());
                          }};

int Date(const char* text) {
    return *CLeaveDate::Parse(text);
}

class LeaveStoreContract : public ::testing::TestWithParam<StoreKind> {
protected:
    std::shared_ptr<ILeaveStore> Open() const { return GetParam().open(t.runtime); }
    CLeaveBook Stored() const {
        CLeaveBook book;
        std::string refusal;
        EXPECT_TRUE(Open()->Read(book, &refusal)) << refusal;
        return book;
    }
    bool Hire(const std::string& name) {
        return CLeaveStoreChange::Apply(
            *Open(),
            [&](CLeaveBook& book) {
                return CLeaveChange::SetEmployee(book, name, Date("2020-04-01"), 5,
                                                 Date("2020-04-01"));
            },
            sink);
    }
    bool Take(const std::string& name, int date) {
        return CLeaveStoreChange::Apply(
            *Open(),
            [&](CLeaveBook& book) {
                return CLeaveChange::Take(book, name, date, CLeaveBook::EPart::kWhole);
            },
            sink);
    }

    test::CTestRuntime t;
    test::CRecordingMessageSink sink;
};

}  // namespace

TEST_P(LeaveStoreContract, TheBookReadsBackAsChanged) {
    EXPECT_TRUE(Stored().employees.empty());
    ASSERT_TRUE(Hire("山田")) << (sink.messages.empty() ? "" : sink.messages.back());
    ASSERT_TRUE(Take("山田", Date("2025-05-01")));
    const CLeaveBook book = Stored();
    ASSERT_NE(book.Find("山田"), nullptr);
    EXPECT_EQ(book.Find("山田")->hired, Date("2020-04-01"));
    ASSERT_EQ(book.taken.size(), 1u);
    EXPECT_EQ(book.taken[0].date, Date("2025-05-01"));
}

TEST_P(LeaveStoreContract, ARefusedChangeLeavesTheBookAsItWasAndSaysWhy) {
    ASSERT_TRUE(Hire("山田"));
    const std::string before = Stored().FileText();
    EXPECT_FALSE(Open()->Apply(
        [](CLeaveBook& book) -> std::optional<std::string> {
            book.employees.clear();  // made, then refused: nothing of it may be kept
            return "理由があって断ります。";
        },
        sink));
    EXPECT_EQ(sink.messages.back(), "理由があって断ります。");
    EXPECT_EQ(Stored().FileText(), before);
    // A day beyond the balance: the ledger no longer adds up, so the store keeps the book.
    EXPECT_FALSE(CLeaveStoreChange::Apply(
        *Open(),
        [](CLeaveBook& book) -> std::optional<std::string> {
            book.taken.push_back({"山田", Date("2020-04-02"), CLeaveBook::EPart::kWhole});
            return std::nullopt;
        },
        sink));
    EXPECT_EQ(Stored().FileText(), before);
}

TEST_P(LeaveStoreContract, WritersRacingEachOtherLoseNothing) {
    ASSERT_TRUE(Hire("山田"));
    ASSERT_TRUE(Hire("鈴木"));
    std::vector<std::function<bool()>> jobs;
    for (const char* name : {"山田", "鈴木"}) {
        jobs.push_back([this, name] {
            bool ok = true;
            // Eight working days each in May 2025 (no Sunday).
            for (int day : {1, 2, 7, 8, 9, 12, 13, 14}) ok = Take(name, 20250500 + day) && ok;
            return ok;
        });
    }
    EXPECT_EQ(test::RunAtOnce(jobs), 2);
    EXPECT_EQ(Stored().taken.size(), 16u);
}

TEST_P(LeaveStoreContract, ARenameIsCarriedOnlyWhereTheBookKnowsTheName) {
    ASSERT_TRUE(Hire("山田"));
    ASSERT_TRUE(Take("山田", Date("2025-05-01")));
    ASSERT_TRUE(Hire("鈴木"));
    ASSERT_TRUE(CLeaveStoreChange::CarryRename(*Open(), "山田", "山田 花子", sink));
    CLeaveBook book = Stored();
    EXPECT_EQ(book.Find("山田"), nullptr);
    ASSERT_NE(book.Find("山田 花子"), nullptr);
    EXPECT_EQ(book.taken.at(0).name, "山田 花子");
    // Somebody the book never knew: nothing to carry.
    const std::string before = book.FileText();
    EXPECT_TRUE(CLeaveStoreChange::CarryRename(*Open(), "伊藤", "伊藤 一郎", sink));
    EXPECT_EQ(Stored().FileText(), before);
    // A new name that has leave of its own is refused, and both keep theirs.
    EXPECT_FALSE(CLeaveStoreChange::CarryRename(*Open(), "鈴木", "山田 花子", sink));
    EXPECT_EQ(Stored().FileText(), before);
}

INSTANTIATE_TEST_SUITE_P(Stores, LeaveStoreContract, ::testing::Values(kFolder, kDatabase),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace stampwell
