#include "platform/StderrMessageSink.h"

#include <iostream>

namespace stampwell {

void CStderrMessageSink::ShowMessage(std::string_view text, EMessageIcon) {
    std::cerr << text << '\n';
}

}  // namespace stampwell
