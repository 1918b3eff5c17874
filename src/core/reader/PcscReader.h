#pragma once

#include <winscard.h>

#include <string>

#include "reader/ICardReaderBackend.h"

namespace stampwell {

// A reader through PC/SC (pcsc-lite on Linux, winscard on Windows). Each poll lists the readers,
// asks the state of the one in use without waiting, and reads the IDm of a present card with
// GET DATA (FF CA 00 00 00). Survives the service going away and readers coming and going.
class CPcscReader : public ICardReaderBackend {
public:
    CPcscReader() = default;
    ~CPcscReader() override;
    CPcscReader(const CPcscReader&) = delete;
    CPcscReader& operator=(const CPcscReader&) = delete;

    bool Open() override;
    bool Poll(unsigned char idm[8]) override;
    bool IsDisconnected() override;

private:
    bool EnsureContext();
    void ReleaseContext();
    // Picks the reader to use; false when there is none.
    bool ChooseReader();
    bool ReadIdm(unsigned char idm[8]);

    SCARDCONTEXT m_context = 0;
    bool m_hasContext = false;
    std::string m_reader;
    bool m_serviceLost = false;
    bool m_readerGone = false;
};

}  // namespace stampwell
