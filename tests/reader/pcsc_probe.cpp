// Drives the card-reader adapter from standard input for the PC/SC test bed:
// "poll" prints "card ID" or "none", "disconnected" prints "yes" or "no", "quit" ends.
#include <iostream>
#include <string>

#include "platform/IMessageSink.h"
#include "reader/FelicaReader.h"

namespace {
class CPrintingSink : public stampwell::IMessageSink {
public:
    void ShowMessage(std::string_view text, stampwell::EMessageIcon icon) override {
        std::cout << "message " << (icon == stampwell::EMessageIcon::Stop ? "stop " : "") << text
                  << std::endl;
    }
};
}  // namespace

int main(int argc, char** argv) {
    CPrintingSink sink;
    auto reader = stampwell::CreateFelicaReader(argc > 1 ? argv[1] : "pcsc", true, sink);
    std::cout << "ready" << std::endl;
    std::string command;
    while (std::getline(std::cin, command)) {
        if (command == "poll") {
            std::string card;
            std::cout << (reader->Poll(card) ? "card " + card : std::string("none")) << std::endl;
        } else if (command == "disconnected") {
            std::cout << (reader->IsReaderDisconnected() ? "yes" : "no") << std::endl;
        } else if (command == "quit") {
            break;
        }
    }
    return 0;
}
