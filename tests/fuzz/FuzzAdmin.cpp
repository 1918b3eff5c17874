// Admin.dat: the listing and the logins of whatever the file holds, and the round trip of its
// rewrites: a delete keeps every other administrator, an addition adds exactly one (never a
// fourth, never a second of one ID).
#include <cstdlib>

#include "FuzzSupport.h"
#include "people/AdminFile.h"

using namespace stampwell;

namespace {
void Require(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& folder = fuzz::CFuzzFolder::Get();
    folder.Put("Admin.dat", data, size);
    CAdminFile admins(folder.Runtime());
    (void)admins.GetCount();
    const auto list = admins.GetAdminList();
    admins.LoginWithPassword("admin", "password");
    admins.LoginWithCard("0123456789ABCDEF");
    if (list.empty()) return 0;
    admins.SetPreviousId(list.front().id);
    admins.LoadAdmin();
    admins.SetId(list.front().id);
    if (admins.DeleteAdmin() == 1) {
        std::vector<CAdminFile::Entry> expected;
        for (const auto& entry : list) {
            if (entry.id != list.front().id) expected.push_back(entry);
        }
        const auto after = admins.GetAdminList();
        Require(after.size() == expected.size());
        for (std::size_t i = 0; i < after.size(); ++i) {
            Require(after[i].id == expected[i].id && after[i].hasCard == expected[i].hasCard);
        }
        admins.SetId("新しい管理者");
        admins.SetPassword("pw");
        admins.ClearCardId();
        const bool added = admins.AddAdmin() == 1;
        const auto now = admins.GetAdminList();
        Require(added ? now.size() == after.size() + 1 : now.size() == after.size());
        Require(!added || after.size() < CAdminFile::kMaxAdmins);
    }
    return 0;
}
