#include <gtest/gtest.h>

#include <thread>

#include "reader/FelicaReader.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"

namespace stampwell {
using test::CRecordingMessageSink;
using test::WriteBytes;

TEST(FelicaReader, IdentifiersAreSixteenUpperCaseDigitsWithLeadingZeros) {
    const unsigned char idm[8] = {0x01, 0x2E, 0x00, 0xFF, 0x0A, 0xBC, 0x5D, 0x0F};
    EXPECT_EQ(CFelicaReader::FormatIdm(idm), "012E00FF0ABC5D0F");
}

TEST(FelicaReader, SimulatedReaderFollowsItsFile) {
    test::CTempDir dir;
    auto file = dir / "card";
    CRecordingMessageSink sink;
    auto reader = CreateFelicaReader("simulated:" + file.string(), true, sink);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(sink.messages.empty());
    std::string card = "untouched";
    EXPECT_FALSE(reader->Poll(card));
    EXPECT_EQ(card, "untouched");

    WriteBytes(file, "012e00ff12345678\n");
    ASSERT_TRUE(reader->Poll(card));
    EXPECT_EQ(card, "012E00FF12345678");
    ASSERT_TRUE(reader->Poll(card));  // a card left on the reader is read again
    EXPECT_EQ(card, "012E00FF12345678");

    for (const std::string& junk :
         {std::string(""), std::string("12345"), std::string("ZZ2E00FF12345678"),
          std::string("\x01\x02garbage\xFF")}) {
        WriteBytes(file, junk);
        card = "untouched";
        EXPECT_FALSE(reader->Poll(card)) << junk;
        EXPECT_EQ(card, "untouched");
        EXPECT_FALSE(reader->IsReaderDisconnected());
    }
    WriteBytes(file, "disconnected\n");
    EXPECT_FALSE(reader->Poll(card));
    EXPECT_TRUE(reader->IsReaderDisconnected());
}

TEST(FelicaReader, NoReaderAtTheStartIsNoBoxButAReaderThatIsNotConnected) {
    test::CTempDir dir;
    WriteBytes(dir / "card", "disconnected");
    CRecordingMessageSink sink;
    // An unattended entrance has nobody to press OK: the screen says it, as for a reader
    // unplugged later.
    auto reader = CreateFelicaReader("simulated:" + (dir / "card").string(), true, sink);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_TRUE(reader->IsReaderDisconnected());
    std::string error;
    EXPECT_FALSE(CreateFelicaReader("usb", true, sink, &error));
    EXPECT_NE(error.find("カードリーダーの指定が正しくありません"), std::string::npos);
    // Switched off, the adapter neither opens nor reads.
    WriteBytes(dir / "card", "012E00FF12345678");
    auto off = CreateFelicaReader("simulated:" + (dir / "card").string(), false, sink);
    std::string card;
    EXPECT_FALSE(off->Poll(card));
}

TEST(FelicaReader, TheCliWaitsForACardOnTheSimulatedReader) {
    test::CTempDir dir;
    auto file = dir / "card";
    std::thread holder([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        WriteBytes(file, "0A0B0C0D0E0F1011");
    });
    auto result =
        test::RunCli(dir / "data", "--reader 'simulated:" + file.string() + "' reader --timeout 5");
    holder.join();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "0A0B0C0D0E0F1011\n");

    WriteBytes(file, "");
    auto timeout = test::RunCli(dir / "data",
                                "--reader 'simulated:" + file.string() + "' reader --timeout 0.3");
    EXPECT_EQ(timeout.exitCode, 1);
    EXPECT_NE(timeout.err.find("カードがかざされませんでした"), std::string::npos);
    WriteBytes(file, "disconnected");
    EXPECT_EQ(
        test::RunCli(dir / "data", "--reader 'simulated:" + file.string() + "' reader").exitCode,
        1);
    EXPECT_EQ(test::RunCli(dir / "data", "--reader nfc reader").exitCode, 1);
}

}  // namespace stampwell
