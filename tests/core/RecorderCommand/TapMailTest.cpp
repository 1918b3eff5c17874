#include <gtest/gtest.h>

#include "RecorderCommand/IRegisterScreen.h"
#include "RecorderCommand/RecorderCommand.h"
#include "controller/RecorderController.h"
#include "mail/MailQueue.h"
#include "mail/MailSettings.h"
#include "people/RegisterFile.h"
#include "platform/IPrompt.h"
#include "platform/LocalTime.h"
#include "reader/FelicaReader.h"
#include "support/CliRunner.h"
#include "support/Fakes.h"
#include "support/SmtpServer.h"
#include "support/TapBench.h"
#include "support/TestSupport.h"
#include "workfile/WorkReport.h"

namespace stampwell {
using test::BodyOf;
using test::CSmtpServer;
using test::DecodeHeader;
using test::HeaderOf;

namespace {

constexpr const char* kCard = "0102030405060708";

// 鈴木, who has a mail recipient, with the mail settings files written for the given server.
struct MailBench : test::CTapBench {
    MailBench(int port, const std::string& mailCheck, const std::string& style = "")
        : CTapBench(style, kCard, "鈴木", "boss@example.com") {
        CMailSettings s;
        s.mailCheck = mailCheck;
        s.sendName = "Clock";
        s.sendAddress = "clock@example.com";
        s.title = "出社 #name";
        s.inText = "#nameさんが出社しました。\r\n時刻 #time";
        s.title2 = "退社 #name";
        s.outText = "#nameさんが退社しました。\r\n#time\r\n(#name)";
        s.serverName = "127.0.0.1";
        s.portNumber = std::to_string(port);
        s.attestation = "0";
        s.SaveTexts(t.dir.Path());
        s.SaveServer(t.dir.Path());
    }
    void Tap(int hour, int minute) {
        CTapBench::Tap(26, hour, minute, kCard);
        controller->MailQueue().WaitIdle();
    }
};

}  // namespace

TEST(TapMail, AttendanceTapsSendTheStartAndEndMails) {
    test::CTempDir smtp;
    CSmtpServer server(smtp / "out");
    MailBench b(server.Port(), "1");
    b.Tap(9, 5);
    b.screen.end = true;
    b.Tap(18, 30);
    auto messages = server.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(DecodeHeader(HeaderOf(messages[0], "Subject")), "出社 #name");
    EXPECT_EQ(BodyOf(messages[0]), "鈴木さんが出社しました。\r\n時刻 2011/08/26 09:05");
    EXPECT_EQ(DecodeHeader(HeaderOf(messages[1], "Subject")), "退社 #name");
    EXPECT_EQ(BodyOf(messages[1]), "鈴木さんが退社しました。\r\n2011/08/26 18:30\r\n(鈴木)");
}

TEST(TapMail, RoomModeSendsEntryThenExitWhateverTheSelectedSide) {
    test::CTempDir smtp;
    CSmtpServer server(smtp / "out");
    MailBench b(server.Port(), "1", "2");
    b.screen.end = true;
    b.Tap(9, 0);
    b.Tap(12, 0);
    auto messages = server.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(DecodeHeader(HeaderOf(messages[0], "Subject")), "出社 #name");
    EXPECT_EQ(DecodeHeader(HeaderOf(messages[1], "Subject")), "退社 #name");
}

TEST(TapMail, MailCheckZeroOpensNoConnection) {
    test::CTempDir smtp;
    CSmtpServer server(smtp / "out");
    MailBench b(server.Port(), "0");
    b.Tap(9, 0);
    EXPECT_EQ(test::ReadBytes(b.t.dir / "KINTAI.dat").size(), 51u);
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_TRUE(server.Messages().empty());
}

TEST(TapMail, TheCliTapRecordsAndWaitsForTheMail) {
    test::CTempDir dir;
    CSmtpServer server(dir / "out");
    auto data = dir / "data";
    test::RunCli(data,
                 "users add --card 0102030405060708 --name 鈴木 --mail-name 部長 --mail-address "
                 "boss@example.com");
    CMailSettings s;
    s.mailCheck = "1";
    s.sendAddress = "clock@example.com";
    s.title = "in";
    s.inText = "#name #time";
    s.serverName = "127.0.0.1";
    s.portNumber = std::to_string(server.Port());
    s.SaveTexts(data);
    s.SaveServer(data);
    auto first = test::RunCli(data, "tap 0102030405060708 --start");
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_TRUE(first.out.ends_with(" 勤務開始\n")) << first.out;
    EXPECT_EQ(server.Messages().size(), 1u);
    auto again = test::RunCli(data, "tap 0102030405060708 --start");
    EXPECT_EQ(again.exitCode, 1);  // asked, and the default answer keeps the record
    EXPECT_NE(again.err.find("本日は既に登録済みです。"), std::string::npos);
    EXPECT_EQ(test::RunCli(data, "tap 0102030405060708 --start --yes").exitCode, 0);
    EXPECT_EQ(test::RunCli(data, "tap FFFFFFFFFFFFFFFF").exitCode, 1);
    EXPECT_EQ(test::RunCli(data, "tap nothex --start").exitCode, 1);
    auto records = test::RunCli(data, "records");
    EXPECT_EQ(std::count(records.out.begin(), records.out.end(), '\n'), 1);
}

}  // namespace stampwell
