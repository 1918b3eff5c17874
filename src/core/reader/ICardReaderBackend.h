#pragma once

#include <string>

namespace stampwell {

// What a way of reaching cards must offer the reader adapter.
class ICardReaderBackend {
public:
    virtual ~ICardReaderBackend() = default;
    // True when a reader is there to use.
    virtual bool Open() = 0;
    // True and the card's 8-byte IDm when a card is on the reader now; never blocks long.
    virtual bool Poll(unsigned char idm[8]) = 0;
    // True when the reader that was in use is gone or the card service has stopped.
    virtual bool IsDisconnected() = 0;
};

}  // namespace stampwell
