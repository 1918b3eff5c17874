#pragma once

#include <filesystem>

#include "reader/ICardReaderBackend.h"

namespace stampwell {

// A reader for demos and tests: a file stands for the reader. Absent or empty: no card;
// 16 hex digits: that card is on the reader; "disconnected": the reader is unplugged.
class CSimulatedReader : public ICardReaderBackend {
public:
    explicit CSimulatedReader(std::filesystem::path file) : m_file(std::move(file)) {}
    bool Open() override;
    bool Poll(unsigned char idm[8]) override;
    bool IsDisconnected() override;

private:
    std::string ReadWord() const;
    std::filesystem::path m_file;
};

}  // namespace stampwell
