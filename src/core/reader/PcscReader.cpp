#include "reader/PcscReader.h"

#include <vector>

namespace stampwell {

namespace {
bool IsServiceGone(LONG result) {
    return result == static_cast<LONG>(SCARD_E_NO_SERVICE) ||
           result == static_cast<LONG>(SCARD_E_SERVICE_STOPPED) ||
           result == static_cast<LONG>(SCARD_E_INVALID_HANDLE);
}
}  // namespace

CPcscReader::~CPcscReader() {
    ReleaseContext();
}

void CPcscReader::ReleaseContext() {
    if (m_hasContext) SCardReleaseContext(m_context);
    m_hasContext = false;
}

bool CPcscReader::EnsureContext() {
    if (m_hasContext) return true;
    LONG result = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &m_context);
    if (result != SCARD_S_SUCCESS) {
        // No card service (yet): no card can be read, which the screen says until it is there.
        m_serviceLost = true;
        return false;
    }
    m_hasContext = true;
    m_serviceLost = false;
    return true;
}

bool CPcscReader::ChooseReader() {
    DWORD length = 0;
    LONG result = SCardListReaders(m_context, nullptr, nullptr, &length);
    std::vector<char> names;
    if (result == SCARD_S_SUCCESS && length > 0) {
        names.resize(length);
        result = SCardListReaders(m_context, nullptr, names.data(), &length);
    }
    if (IsServiceGone(result)) {
        ReleaseContext();
        m_serviceLost = true;
        return false;
    }
    std::vector<std::string> readers;
    if (result == SCARD_S_SUCCESS) {
        for (const char* name = names.data(); *name != '\0'; name += std::string(name).size() + 1) {
            readers.emplace_back(name);
        }
    }
    for (const auto& reader : readers) {
        // The same reader back under its name (unplugged and plugged in again) is back.
        if (reader == m_reader) {
            m_readerGone = false;
            return true;
        }
    }
    if (readers.empty()) {
        // Gone, or never plugged in since the start: either way no card can be read.
        m_readerGone = true;
        return false;
    }
    // The reader in use is gone but another is there (or one was plugged in): use it.
    m_reader = readers.front();
    m_readerGone = false;
    return true;
}

bool CPcscReader::Open() {
    if (!EnsureContext()) return false;
    return ChooseReader();
}

bool CPcscReader::ReadIdm(unsigned char idm[8]) {
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    LONG result = SCardConnect(m_context, m_reader.c_str(), SCARD_SHARE_SHARED,
                               SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card, &protocol);
    if (result != SCARD_S_SUCCESS) return false;
    const SCARD_IO_REQUEST* pci = protocol == SCARD_PROTOCOL_T0 ? SCARD_PCI_T0 : SCARD_PCI_T1;
    static const unsigned char kGetData[] = {0xFF, 0xCA, 0x00, 0x00, 0x00};
    unsigned char answer[258] = {};
    DWORD answerLength = sizeof answer;
    result = SCardTransmit(card, pci, kGetData, sizeof kGetData, nullptr, answer, &answerLength);
    SCardDisconnect(card, SCARD_LEAVE_CARD);
    // Only an 8-byte IDm followed by 90 00 is a FeliCa card's answer.
    if (result != SCARD_S_SUCCESS || answerLength != 10 || answer[8] != 0x90 || answer[9] != 0x00) {
        return false;
    }
    for (int i = 0; i < 8; ++i) idm[i] = answer[i];
    return true;
}

bool CPcscReader::Poll(unsigned char idm[8]) {
    if (!EnsureContext() || !ChooseReader()) return false;
    SCARD_READERSTATE state{};
    state.szReader = m_reader.c_str();
    state.dwCurrentState = SCARD_STATE_UNAWARE;
    LONG result = SCardGetStatusChange(m_context, 0, &state, 1);
    if (IsServiceGone(result)) {
        ReleaseContext();
        m_serviceLost = true;
        return false;
    }
    if (result != SCARD_S_SUCCESS || (state.dwEventState & SCARD_STATE_PRESENT) == 0) return false;
    return ReadIdm(idm);
}

bool CPcscReader::IsDisconnected() {
    return m_serviceLost || m_readerGone;
}

}  // namespace stampwell
