// Administrators' passwords in the company database: only a salted, slow, one-way hash is kept,
// and an administrator whose record is changed on the screen without a new password keeps the
// old one.
#include <gtest/gtest.h>

#include "personnel/AdminForm.h"
#include "pgstore/PasswordHash.h"
#include "pgstore/PgAdminStore.h"
#include "pgstore/PgConnection.h"
#include "support/Fakes.h"
#include "support/PgServer.h"
#include "support/TestSupport.h"

namespace stampwell {

TEST(PgAdminStore, KeepsNoPasswordOnlyASaltedHashAndAChangeWithoutOneKeepsIt) {
    test::CTempDir dir;
    const std::string office = test::PgOfficeFor(dir.Path());
    CPgAdminStore admins(office, std::chrono::milliseconds(2000));
    for (const char* id : {"boss", "clerk"}) {
        admins.SetId(id);
        admins.SetCardId("");
        admins.SetPassword("s3cret");
        ASSERT_EQ(admins.AddAdmin(), 1) << admins.LastRefusalMessage();
    }
    std::string why;
    auto connection = CPgConnection::Open(office, why);
    ASSERT_TRUE(connection) << why;
    const auto rows =
        connection->Exec("SELECT password_hash FROM stampwell.admins ORDER BY position");
    ASSERT_EQ(rows.Rows(), 2);
    EXPECT_EQ(rows.Value(0, 0).rfind("pbkdf2-sha256$200000$", 0), 0u);
    EXPECT_EQ(rows.Value(0, 0).find("s3cret"), std::string::npos);
    EXPECT_NE(rows.Value(0, 0), rows.Value(1, 0));  // a salt of each its own

    // The edit screen gets the card back, never the password; saved as it is, the password
    // stays.
    CPgAdminStore edit(office, std::chrono::milliseconds(2000));
    edit.SetPreviousId("boss");
    test::CFakePrompt prompt;
    CAdminForm form(edit, prompt, /*changeMode=*/true);
    form.Open();
    EXPECT_EQ(form.InitialPassword(), "");
    EXPECT_TRUE(form.KeepsPassword());
    edit.SetCardId("0123456789ABCDEF");
    ASSERT_TRUE(form.Submit("chief", "", "")) << test::LastOf(prompt.messages);
    EXPECT_FALSE(admins.LoginWithPassword("boss", "s3cret"));
    EXPECT_TRUE(admins.LoginWithPassword("chief", "s3cret"));
    EXPECT_TRUE(admins.LoginWithCard("0123456789ABCDEF"));
    EXPECT_FALSE(admins.LoginWithPassword("clerk", "S3cret"));
}

TEST(PgAdminStore, AHashThatCannotBeReadNeverMatches) {
    const std::string hash = CPasswordHash::Make("pw");
    EXPECT_TRUE(CPasswordHash::Matches("pw", hash));
    EXPECT_FALSE(CPasswordHash::Matches("pw ", hash));
    for (const std::string& broken :
         std::vector<std::string>{std::string(), std::string("pw"), hash.substr(0, hash.size() - 2),
                                  "pbkdf2-sha256$0$00$" + hash.substr(hash.rfind('$') + 1),
                                  "pbkdf2-sha256$x$00$00", "pbkdf2-sha256$99999999$00$00"}) {
        EXPECT_FALSE(CPasswordHash::Matches("pw", broken)) << broken;
    }
}

}  // namespace stampwell
