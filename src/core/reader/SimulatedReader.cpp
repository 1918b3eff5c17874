#include "reader/SimulatedReader.h"

#include <cctype>
#include <string>

#include "platform/FileHandle.h"

namespace stampwell {

std::string CSimulatedReader::ReadWord() const {
    FileHandle file = OpenFile(m_file, "rb");
    if (!file) return {};
    char buffer[64] = {};
    std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, file.get());
    std::string word(buffer, got);
    while (!word.empty() && std::isspace(static_cast<unsigned char>(word.back()))) word.pop_back();
    std::size_t start = 0;
    while (start < word.size() && std::isspace(static_cast<unsigned char>(word[start]))) ++start;
    return word.substr(start);
}

bool CSimulatedReader::Open() {
    return ReadWord() != "disconnected";
}

bool CSimulatedReader::Poll(unsigned char idm[8]) {
    std::string word = ReadWord();
    if (word.size() != 16) return false;
    for (int i = 0; i < 8; ++i) {
        unsigned value = 0;
        for (int j = 0; j < 2; ++j) {
            char c = word[static_cast<std::size_t>(i * 2 + j)];
            if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
            value = value * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c))
                                                           ? c - '0'
                                                           : std::toupper(c) - 'A' + 10);
        }
        idm[i] = static_cast<unsigned char>(value);
    }
    return true;
}

bool CSimulatedReader::IsDisconnected() {
    return ReadWord() == "disconnected";
}

}  // namespace stampwell
