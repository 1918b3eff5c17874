// The PC/SC reader against a stand-in for the PC/SC library, linked into this test program in
// its place: a reader that leaves the list of readers and comes back under its name while the
// card service keeps running (a USB reader unplugged and plugged in again), and a service that
// runs with no reader plugged in yet. The real library is driven end to end by the PC/SC test
// bed, which cannot take a reader out of the list.
#include <gtest/gtest.h>
#include <winscard.h>

#include <cstring>
#include <string>
#include <vector>

#include "reader/FelicaReader.h"
#include "support/TestSupport.h"

namespace {

// What the stand-in library shows: whether the service runs, the readers plugged in, and the
// card on the first of them.
struct CStandIn {
    bool service = true;
    std::vector<std::string> readers;
    std::vector<unsigned char> idm;  // empty: no card
};
CStandIn g_pcsc;

}  // namespace

extern "C" {

const SCARD_IO_REQUEST g_rgSCardT0Pci = {SCARD_PROTOCOL_T0, sizeof(SCARD_IO_REQUEST)};
const SCARD_IO_REQUEST g_rgSCardT1Pci = {SCARD_PROTOCOL_T1, sizeof(SCARD_IO_REQUEST)};

LONG SCardEstablishContext(DWORD, LPCVOID, LPCVOID, LPSCARDCONTEXT context) {
    if (!g_pcsc.service) return SCARD_E_NO_SERVICE;
    *context = 1;
    return SCARD_S_SUCCESS;
}

LONG SCardReleaseContext(SCARDCONTEXT) {
    return SCARD_S_SUCCESS;
}

LONG SCardListReaders(SCARDCONTEXT, LPCSTR, LPSTR names, LPDWORD length) {
    if (!g_pcsc.service) return SCARD_E_NO_SERVICE;
    if (g_pcsc.readers.empty()) return SCARD_E_NO_READERS_AVAILABLE;
    std::string list;
    for (const auto& reader : g_pcsc.readers) list += reader + '\0';
    list += '\0';
    if (names != nullptr) {
        if (*length < list.size()) return SCARD_E_INSUFFICIENT_BUFFER;
        std::memcpy(names, list.data(), list.size());
    }
    *length = static_cast<DWORD>(list.size());
    return SCARD_S_SUCCESS;
}

LONG SCardGetStatusChange(SCARDCONTEXT, DWORD, SCARD_READERSTATE* states, DWORD count) {
    if (!g_pcsc.service) return SCARD_E_NO_SERVICE;
    for (DWORD i = 0; i < count; ++i) {
        const bool here = !g_pcsc.readers.empty() && g_pcsc.readers.front() == states[i].szReader;
        if (!here) return SCARD_E_UNKNOWN_READER;
        states[i].dwEventState = g_pcsc.idm.empty() ? SCARD_STATE_EMPTY : SCARD_STATE_PRESENT;
    }
    return SCARD_S_SUCCESS;
}

LONG SCardConnect(SCARDCONTEXT, LPCSTR, DWORD, DWORD, LPSCARDHANDLE card, LPDWORD protocol) {
    if (g_pcsc.idm.empty()) return SCARD_E_NO_SMARTCARD;
    *card = 7;
    *protocol = SCARD_PROTOCOL_T1;
    return SCARD_S_SUCCESS;
}

LONG SCardTransmit(SCARDHANDLE, const SCARD_IO_REQUEST*, LPCBYTE, DWORD, SCARD_IO_REQUEST*,
                   LPBYTE answer, LPDWORD length) {
    if (g_pcsc.idm.size() != 8 || *length < 10) return SCARD_E_NOT_TRANSACTED;
    std::memcpy(answer, g_pcsc.idm.data(), 8);
    answer[8] = 0x90;
    answer[9] = 0x00;
    *length = 10;
    return SCARD_S_SUCCESS;
}

LONG SCardDisconnect(SCARDHANDLE, DWORD) {
    return SCARD_S_SUCCESS;
}

}  // extern "C"

namespace stampwell {

TEST(PcscStandIn, AReaderUnpluggedAndPluggedBackIsConnectedAgainWithoutARestart) {
    g_pcsc = {};
    g_pcsc.readers = {"Sony FeliCa Port/PaSoRi 4.0 00 00"};
    test::CRecordingMessageSink sink;
    auto reader = CreateFelicaReader("pcsc", true, sink);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_FALSE(reader->IsReaderDisconnected());
    g_pcsc.idm = {0x01, 0x2E, 0x00, 0xFF, 0x12, 0x34, 0x56, 0x78};
    std::string card;
    ASSERT_TRUE(reader->Poll(card));
    EXPECT_EQ(card, "012E00FF12345678");

    // Unplugged: pcscd keeps running, the reader leaves the list.
    g_pcsc.readers.clear();
    EXPECT_FALSE(reader->Poll(card));
    EXPECT_TRUE(reader->IsReaderDisconnected());
    // Plugged in again, under the same name: read again, and no longer said to be away.
    g_pcsc.readers = {"Sony FeliCa Port/PaSoRi 4.0 00 00"};
    ASSERT_TRUE(reader->Poll(card));
    EXPECT_FALSE(reader->IsReaderDisconnected());
    // Another reader in its place is taken up too.
    g_pcsc.readers = {"Sony FeliCa RC-S300/P 01 00"};
    ASSERT_TRUE(reader->Poll(card));
    EXPECT_FALSE(reader->IsReaderDisconnected());
}

TEST(PcscStandIn, NoReaderOrNoServiceAtTheStartSaysNotConnectedUntilOneIsThere) {
    for (const bool service : {true, false}) {
        g_pcsc = {};
        g_pcsc.service = service;
        test::CRecordingMessageSink sink;
        auto reader = CreateFelicaReader("pcsc", true, sink);
        ASSERT_TRUE(reader);
        // No box that somebody must close before the screen invites taps it cannot take.
        EXPECT_TRUE(sink.messages.empty()) << sink.messages.front();
        std::string card;
        EXPECT_FALSE(reader->Poll(card));
        EXPECT_TRUE(reader->IsReaderDisconnected()) << service;
        EXPECT_TRUE(reader->IsReaderDisconnected());
        g_pcsc.service = true;
        g_pcsc.readers = {"Sony FeliCa RC-S300/P 01 00"};
        g_pcsc.idm = {0, 1, 2, 3, 4, 5, 6, 7};
        ASSERT_TRUE(reader->Poll(card));
        EXPECT_EQ(card, "0001020304050607");
        EXPECT_FALSE(reader->IsReaderDisconnected());
    }
}

}  // namespace stampwell
