// Register.txt: lookups and listings of whatever the file holds, and the round trip of its
// rewrites: a delete keeps every other record as it was read, an addition adds exactly one.
#include <algorithm>
#include <cstdlib>

#include "FuzzSupport.h"
#include "people/RegisterFile.h"

using namespace stampwell;

namespace {
bool Same(const CRegisterFile::Record& a, const CRegisterFile::Record& b) {
    return a.cardId == b.cardId && a.personalName == b.personalName && a.mailName == b.mailName &&
           a.mailAddress == b.mailAddress;
}
void Require(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& folder = fuzz::CFuzzFolder::Get();
    folder.Put("Register.txt", data, size);
    CRegisterFile reg(folder.Runtime());
    (void)reg.GetCount();
    const auto before = reg.ReadAll();
    reg.SetCardId("012E00FF12345678");
    reg.FindNameByCard();
    if (before.empty()) return 0;
    (void)reg.GetMailAddressByName(before.front().personalName);
    (void)reg.GetNameAt(static_cast<int>(before.size() - 1));

    // A delete: every record of that name goes, every other one stays as it was read.
    const std::string gone = before.front().personalName;
    reg.SetName(gone);
    if (reg.DeleteRecord() != 1) return 0;
    std::vector<CRegisterFile::Record> expected;
    for (const auto& record : before) {
        if (record.personalName != gone) expected.push_back(record);
    }
    const auto after = reg.ReadAll();
    Require(after.size() == expected.size() &&
            std::equal(after.begin(), after.end(), expected.begin(), Same));

    // An addition: exactly one more record, the others unchanged.
    reg.SetCardId("FFFFFFFFFFFFFFF0");
    reg.SetName("新しい人");
    reg.SetMailName("");
    reg.SetMailAddress("");
    if (reg.AddRecord() == 1) {
        const auto added = reg.ReadAll();
        Require(added.size() == after.size() + 1 &&
                std::equal(after.begin(), after.end(), added.begin(), Same) &&
                added.back().personalName == "新しい人");
    }
    return 0;
}
