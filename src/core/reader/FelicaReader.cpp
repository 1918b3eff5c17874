#include "reader/FelicaReader.h"

#include "platform/IMessageSink.h"
#include "reader/PcscReader.h"
#include "reader/SimulatedReader.h"

namespace stampwell {

CFelicaReader::CFelicaReader(std::unique_ptr<ICardReaderBackend> backend, bool on,
                             IMessageSink& messages)
    : m_backend(std::move(backend)), m_enabled(on) {
    if (!m_enabled) return;
    // No reader plugged in (or no card service yet) is no failure to box at an unattended
    // entrance: the screen says that no reader is connected until one is.
    if (!m_backend->Open() && !m_backend->IsDisconnected()) {
        messages.ShowMessage("カードリーダーを初期化できませんでした。", EMessageIcon::Stop);
    }
}

std::string CFelicaReader::FormatIdm(const unsigned char idm[8]) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < 8; ++i) {
        text += kDigits[idm[i] >> 4];
        text += kDigits[idm[i] & 0x0F];
    }
    return text;
}

bool CFelicaReader::Poll(std::string& card) {
    if (!m_enabled) return false;
    unsigned char idm[8] = {};
    if (!m_backend->Poll(idm)) return false;
    card = FormatIdm(idm);
    return true;
}

bool CFelicaReader::IsReaderDisconnected() {
    return m_enabled && m_backend->IsDisconnected();
}

namespace {
constexpr std::string_view kSimulated = "simulated:";
}

bool IsReaderSpec(const std::string& spec) {
    return spec == "pcsc" || (spec.starts_with(kSimulated) && spec.size() > kSimulated.size());
}

std::string ReaderSpecRefusal(const std::string& spec) {
    return "カードリーダーの指定が正しくありません: " + spec +
           "（pcsc または simulated:ファイル を指定してください）";
}

std::shared_ptr<CFelicaReader> CreateFelicaReader(const std::string& spec, bool on,
                                                  IMessageSink& messages, std::string* error) {
    if (!IsReaderSpec(spec)) {
        if (error != nullptr) *error = ReaderSpecRefusal(spec);
        return nullptr;
    }
    std::unique_ptr<ICardReaderBackend> backend;
    if (spec == "pcsc") {
        backend = std::make_unique<CPcscReader>();
    } else {
        backend = std::make_unique<CSimulatedReader>(spec.substr(kSimulated.size()));
    }
    return std::make_shared<CFelicaReader>(std::move(backend), on, messages);
}

}  // namespace stampwell
