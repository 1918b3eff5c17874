// Schedule.txt (the clerk's calendar), read through the folder store, figured over, written
// back and read again.
#include "FuzzSupport.h"
#include "folderstore/FolderScheduleStore.h"
#include "schedule/ScheduleChange.h"
#include "schedule/SchedulePlan.h"

using namespace stampwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& folder = fuzz::CFuzzFolder::Get();
    folder.Put("Schedule.txt", data, size);
    CFolderScheduleStore store(folder.Runtime(), folder.Path() / "Register.txt");
    CScheduleBook book;
    std::string refusal;
    if (!store.Read(book, &refusal)) return 0;
    const CWorkRules rules;
    for (const auto& a : book.assignments) {
        const CSchedulePlan plan(book, rules, a.name);
        for (int date : {a.from, 20261123, 20261231}) {
            (void)plan.On(date);
            (void)plan.IsRestDay(date);
            (void)CScheduleChange::RulesOver(book, date, rules);
            (void)book.TouchesClosed(date, date);
        }
    }
    fuzz::CSilentSink sink;
    // Written back through the store, it reads as it was.
    if (store.Apply([](CScheduleBook&) { return std::nullopt; }, sink)) {
        CScheduleBook again;
        if (store.Read(again, &refusal) && !(again == book)) __builtin_trap();
    }
    return 0;
}
