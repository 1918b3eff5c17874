#pragma once

#include <memory>
#include <string>

#include "reader/ICardReaderBackend.h"

namespace stampwell {

class IMessageSink;

// The card-reader adapter: opens the reader once, polls for a card and gives its identifier as
// 16 upper-case hex digits (the IDm bytes in reception order).
class CFelicaReader {
public:
    // Opens the reader when `on`; a reader that cannot be opened gives the message once and the
    // adapter goes on finding no card.
    CFelicaReader(std::unique_ptr<ICardReaderBackend> backend, bool on, IMessageSink& messages);

    // True and the identifier when a card is on the reader; false leaves `card` untouched.
    bool Poll(std::string& card);
    bool IsReaderDisconnected();
    bool IsEnabled() const { return m_enabled; }

    static std::string FormatIdm(const unsigned char idm[8]);

private:
    std::unique_ptr<ICardReaderBackend> m_backend;
    bool m_enabled;
};

// Whether spec names a reader: "pcsc" or "simulated:FILE".
bool IsReaderSpec(const std::string& spec);
// Why a --reader value is refused, for the user.
std::string ReaderSpecRefusal(const std::string& spec);

// `spec` is "pcsc" or "simulated:FILE". nullptr (with a reason) for anything else.
std::shared_ptr<CFelicaReader> CreateFelicaReader(const std::string& spec, bool on,
                                                  IMessageSink& messages,
                                                  std::string* error = nullptr);

}  // namespace stampwell
