// Register.txt: lookups, listings and a rewrite of whatever the file holds.
#include "FuzzSupport.h"
#include "people/RegisterFile.h"

using namespace stampwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& folder = fuzz::CFuzzFolder::Get();
    folder.Put("Register.txt", data, size);
    CRegisterFile reg(folder.Runtime());
    (void)reg.GetCount();
    auto names = reg.GetAllNames();
    (void)reg.ReadAll();
    reg.SetCardId("012E00FF12345678");
    reg.FindNameByCard();
    if (!names.empty()) {
        (void)reg.GetMailAddressByName(names.front());
        (void)reg.GetNameAt(static_cast<int>(names.size() - 1));
        reg.SetName(names.front());
        reg.DeleteRecord();
        (void)reg.GetAllNames();
    }
    return 0;
}
