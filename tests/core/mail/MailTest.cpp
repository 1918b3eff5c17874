#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "mail/MailMessage.h"
#include "mail/MailQueue.h"
#include "mail/MailSettings.h"
#include "mail/TestMail.h"
#include "support/CliRunner.h"
#include "support/SmtpServer.h"
#include "support/TestSupport.h"

namespace stampwell {
using test::BodyOf;
using test::CSmtpServer;
using test::DecodeHeader;
using test::HeaderOf;

namespace {

CMailSettings Settings(int port) {
    CMailSettings s;
    s.mailCheck = "1";
    s.sendName = "勤怠システム";
    s.sendAddress = "clock@example.com";
    s.serverName = "127.0.0.1";
    s.portNumber = std::to_string(port);
    s.attestation = "0";
    return s;
}

CMailJob Job(const CMailSettings& settings, const std::string& subject, const std::string& body) {
    return CMailJob{settings, "boss@example.com", subject, body};
}

}  // namespace

TEST(MailSettings, FilesRoundTripWithTheirTextBlocks) {
    test::CTempDir dir;
    CMailSettings s = Settings(2525);
    s.title = "出社 #name";
    s.inText = "#nameさんが出社しました。\r\n時刻: #time\r\n";
    s.title2 = "退社";
    s.outText = "退社: #name";
    s.attestation = "1";
    s.id = "user";
    s.password = "pw";
    ASSERT_TRUE(s.SaveTexts(dir.Path()));
    ASSERT_TRUE(s.SaveServer(dir.Path()));
    EXPECT_EQ(
        test::ReadBytes(dir / "SendMail.txt"),
        test::Sjis("MailCheck 1\nSendName 勤怠システム\nSendAddress clock@example.com\n"
                   "Title 出社 #name\nIn #nameさんが出社しました。\r\n時刻: #time\r\n\nInend\n"
                   "Title2 退社\nOut 退社: #name\nOutend\n"));
    EXPECT_EQ(test::ReadBytes(dir / "SendMailDetail.txt"),
              "ServerName 127.0.0.1\nPortNumber 2525\nAttestation 1\nID user\nPassword pw\n");
    CMailSettings back;
    ASSERT_TRUE(back.LoadTexts(dir.Path()));
    ASSERT_TRUE(back.LoadServer(dir.Path()));
    EXPECT_EQ(back.inText, s.inText);
    EXPECT_EQ(back.outText, s.outText);
    EXPECT_EQ(back.title, s.title);
    EXPECT_EQ(back.sendName, s.sendName);
    EXPECT_TRUE(back.UsesAuthentication());
    EXPECT_EQ(back.Port(), 2525);
    s.title = "two\nlines";
    EXPECT_FALSE(s.SaveTexts(dir.Path()));
}

TEST(MailSettings, TextBlocksOwnTheirLinesAndWindowsLineEndsLoseTheirCr) {
    test::CTempDir dir;
    // Message lines that start like keys stay text; a key inside a text never overrides.
    test::WriteBytes(dir / "SendMail.txt",
                     "MailCheck 1\nTitle Hello\nIn Out of office\r\nTitle2 tomorrow\nInend\n"
                     "Title2 Bye\nOut SendName x\nOutend\nSendName Clock\n");
    CMailSettings s;
    ASSERT_TRUE(s.LoadTexts(dir.Path()));
    EXPECT_EQ(s.inText, "Out of office\r\nTitle2 tomorrow");
    EXPECT_EQ(s.title2, "Bye");
    EXPECT_EQ(s.outText, "SendName x");
    EXPECT_EQ(s.sendName, "Clock");
    // Saved back, the file reads the same.
    ASSERT_TRUE(s.SaveTexts(dir.Path()));
    CMailSettings again;
    ASSERT_TRUE(again.LoadTexts(dir.Path()));
    EXPECT_EQ(again.inText, s.inText);
    EXPECT_EQ(again.title2, "Bye");

    // A file edited on Windows.
    test::WriteBytes(dir / "SendMailDetail.txt",
                     "ServerName mail.example.com\r\nPortNumber 587\r\nAttestation 1\r\n"
                     "ID clock\r\nPassword secret\r\n");
    test::WriteBytes(dir / "SendMail.txt", "MailCheck 0\r\nIn a\r\nb\r\nInend\r\n");
    ASSERT_TRUE(s.LoadServer(dir.Path()));
    ASSERT_TRUE(s.LoadTexts(dir.Path()));
    EXPECT_EQ(s.serverName, "mail.example.com");
    EXPECT_EQ(s.Port(), 587);
    EXPECT_EQ(s.password, "secret");
    EXPECT_EQ(s.mailCheck, "0");
    EXPECT_EQ(s.inText, "a\r\nb");
}

TEST(MailSettings, TheServerFileWithItsPasswordStaysPrivate) {
    test::CTempDir dir;
    CMailSettings s = Settings(2525);
    s.password = "pw";
    ASSERT_TRUE(s.SaveServer(dir.Path()));
    auto mode = [&] { return std::filesystem::status(dir / "SendMailDetail.txt").permissions(); };
    EXPECT_EQ(mode() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::permissions(dir / "SendMailDetail.txt",
                                 std::filesystem::perms::owner_read |
                                     std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_read);
    s.password = "new";
    ASSERT_TRUE(s.SaveServer(dir.Path()));
    // A file that a former version left readable by others is the owner's alone again.
    EXPECT_EQ(mode() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(MailSettings, TwoScreensSavingAtOnceKeepEachOthersChanges) {
    test::CTempDir dir;
    CMailSettings first = Settings(2525);
    ASSERT_TRUE(first.SaveServer(dir.Path()));
    // Two clocks show the same values; one changes the server, the other the password.
    const CMailSettings shown = first;
    CMailSettings a = shown, b = shown;
    a.serverName = "mail.example.com";
    b.password = "changed";
    ASSERT_TRUE(a.SaveServer(dir.Path(), &shown));
    ASSERT_TRUE(b.SaveServer(dir.Path(), &shown));
    CMailSettings read;
    ASSERT_TRUE(read.LoadServer(dir.Path()));
    EXPECT_EQ(read.serverName, "mail.example.com");
    EXPECT_EQ(read.password, "changed");
}

TEST(MailSettings, PortAndPlaceholderRules) {
    CMailSettings s;
    for (auto [text, port] : std::vector<std::pair<std::string, long>>{
             {"587", 587}, {"", 25}, {"abc", 25}, {"0", 25}, {"465", 465}}) {
        s.portNumber = text;
        EXPECT_EQ(s.Port(), port) << text;
    }
    EXPECT_EQ(
        CMailSettings::ReplacePlaceholders("#name/#time/#name", "A#nameB", "2011/08/25 25:10"),
        "A#nameB/2011/08/25 25:10/A#nameB");
}

TEST(Mail, TheServerReceivesTheDecodedSubjectBodyAndHeaders) {
    test::CTempDir dir;
    CSmtpServer server(dir / "smtp");
    CMailQueue queue(dir.Path());
    std::string body = CMailSettings::ReplacePlaceholders(
        "#nameさん #time\r\n二行目 #name\r\n#time", "山田", "2011/08/25 09:05");
    queue.Enqueue(Job(Settings(server.Port()), "出社 #name", body));
    queue.WaitIdle();
    auto messages = server.Messages();
    ASSERT_EQ(messages.size(), 1u);
    const std::string& m = messages[0];
    EXPECT_EQ(DecodeHeader(HeaderOf(m, "Subject")), "出社 #name");
    EXPECT_EQ(BodyOf(m), "山田さん 2011/08/25 09:05\r\n二行目 山田\r\n2011/08/25 09:05");
    EXPECT_EQ(HeaderOf(m, "To"), "<boss@example.com>");
    EXPECT_EQ(HeaderOf(m, "From"),
              CMailMessage::EncodeHeaderWord("勤怠システム") + " <clock@example.com>");
    EXPECT_EQ(HeaderOf(m, "Keywords"), "frog,blender");
    EXPECT_EQ(HeaderOf(m, "MyCustomHeader"), "MyValue");
    EXPECT_EQ(HeaderOf(m, "X-Envelope-To"), "boss@example.com");
    EXPECT_EQ(queue.SentCount(), 1);
}

TEST(Mail, AuthenticationAcceptedAndRefused) {
    test::CTempDir dir;
    CSmtpServer server(dir / "smtp", "--auth clock:secret");
    CMailQueue queue(dir.Path());
    CMailSettings s = Settings(server.Port());
    s.attestation = "1";
    s.id = "clock";
    s.password = "secret";
    queue.Enqueue(Job(s, "ok", "body"));
    s.password = "wrong";
    queue.Enqueue(Job(s, "refused", "body"));
    queue.WaitIdle();
    ASSERT_EQ(server.Messages().size(), 1u);
    EXPECT_EQ(HeaderOf(server.Messages()[0], "Subject"), "ok");
    EXPECT_EQ(queue.FailedCount(), 1);
    std::string log = test::ReadBytes(dir / "ErrorLog.txt");
    EXPECT_NE(log.find("TimeReadCommand::SendMail"), std::string::npos);
    EXPECT_NE(log.find("curl 67"), std::string::npos) << log;
}

TEST(Mail, StartTlsIsUsedWhenOfferedEvenWithASelfSignedCertificate) {
    test::CTempDir dir;
    std::string cert = (dir / "cert.pem").string(), key = (dir / "key.pem").string();
    ASSERT_EQ(
        std::system(
            ("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost -keyout '" +
             key + "' -out '" + cert + "' >/dev/null 2>&1")
                .c_str()),
        0);
    // The server requires STARTTLS before anything, and AUTH only over TLS.
    CSmtpServer server(dir / "smtp", "--auth clock:secret --tls '" + cert + "' '" + key + "'");
    CMailQueue queue(dir.Path());
    CMailSettings s = Settings(server.Port());
    s.attestation = "1";
    s.id = "clock";
    s.password = "secret";
    queue.Enqueue(Job(s, "tls", "over TLS"));
    queue.WaitIdle();
    ASSERT_EQ(server.Messages().size(), 1u) << test::ReadBytes(dir / "ErrorLog.txt");
    EXPECT_EQ(BodyOf(server.Messages()[0]), "over TLS");
}

TEST(Mail, AnUnreachableServerNeverDelaysTheCallerAndIsLogged) {
    test::CTempDir dir;
    // A listening socket that never accepts: connecting hangs until the time-out.
    int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 0), 0);
    socklen_t length = sizeof address;
    ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
    {
        CMailQueue queue(dir.Path());
        queue.SetTimeouts({1000, 2000, 1});
        auto before = std::chrono::steady_clock::now();
        queue.Enqueue(Job(Settings(ntohs(address.sin_port)), "slow", "body"));
        queue.Enqueue(Job(Settings(1), "closed port", "body"));
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(100));
        queue.WaitIdle();
        EXPECT_EQ(queue.FailedCount(), 2);
    }
    ::close(silent);
    std::string log = test::ReadBytes(dir / "ErrorLog.txt");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

TEST(Mail, NoRecipientSendsNothing) {
    test::CTempDir dir;
    CSmtpServer server(dir / "smtp");
    CMailQueue queue(dir.Path());
    CMailJob job = Job(Settings(server.Port()), "x", "y");
    job.recipient.clear();
    queue.Enqueue(job);
    queue.WaitIdle();
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "ErrorLog.txt"));
}

}  // namespace stampwell

namespace stampwell {

TEST(TestMail, ReportsSuccessAndEachFailureInTheScreensWords) {
    test::CTempDir dir;
    CSmtpServer server(dir / "smtp", "--auth clock:secret");
    CMailSettings texts;
    texts.sendAddress = "clock@example.com";
    CMailSettings s;
    s.serverName = "127.0.0.1";
    s.portNumber = std::to_string(server.Port());
    s.attestation = "1";
    s.id = "clock";
    s.password = "secret";
    auto sent = CTestMail::Send(s, texts, "admin@example.com", 0);
    EXPECT_TRUE(sent.ok) << sent.error;
    EXPECT_EQ(sent.Describe(), "テストメールを送信しました。");
    ASSERT_EQ(server.Messages().size(), 1u);
    EXPECT_EQ(DecodeHeader(HeaderOf(server.Messages()[0], "Subject")), "Stampwell テストメール");

    s.password = "wrong";
    auto denied = CTestMail::Send(s, texts, "admin@example.com", 0);
    EXPECT_EQ(denied.failure, MailResult::kAuthentication) << denied.error;
    EXPECT_NE(denied.Describe().find("認証"), std::string::npos);

    // A closed port.
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    s.portNumber = std::to_string(ntohs(address.sin_port));
    auto refused = CTestMail::Send(s, texts, "admin@example.com", 0);
    EXPECT_EQ(refused.failure, MailResult::kRefused) << refused.error;
    EXPECT_NE(refused.Describe().find("接続"), std::string::npos);

    s.serverName.clear();
    EXPECT_EQ(CTestMail::Send(s, texts, "admin@example.com", 0).failure, MailResult::kNoServer);
}

TEST(TestMail, TheCliSendsWithTheSavedSettings) {
    test::CTempDir dir;
    CSmtpServer server(dir / "smtp");
    auto data = dir / "data";
    std::filesystem::create_directories(data);
    CMailSettings s;
    s.serverName = "127.0.0.1";
    s.portNumber = std::to_string(server.Port());
    s.attestation = "0";
    ASSERT_TRUE(s.SaveServer(data));
    auto sent = test::RunCli(data, "mail test --to admin@example.com");
    EXPECT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_NE(sent.out.find("テストメールを送信しました。"), std::string::npos);
    EXPECT_EQ(server.Messages().size(), 1u);
    s.portNumber = "1";  // nothing listens on port 1
    ASSERT_TRUE(s.SaveServer(data));
    auto failed = test::RunCli(data, "mail test --to admin@example.com");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find("接続"), std::string::npos) << failed.err;
}

}  // namespace stampwell
