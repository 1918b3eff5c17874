// Admin.dat: the listing, the logins and a rewrite of whatever the file holds.
#include "FuzzSupport.h"
#include "people/AdminFile.h"

using namespace stampwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& folder = fuzz::CFuzzFolder::Get();
    folder.Put("Admin.dat", data, size);
    CAdminFile admins(folder.Runtime());
    (void)admins.GetCount();
    auto list = admins.GetAdminList();
    admins.LoginWithPassword("admin", "password");
    admins.LoginWithCard("0123456789ABCDEF");
    if (!list.empty()) {
        admins.SetPreviousId(list.front().id);
        admins.LoadAdmin();
        admins.SetId(list.front().id);
        admins.DeleteAdmin();
    }
    return 0;
}
