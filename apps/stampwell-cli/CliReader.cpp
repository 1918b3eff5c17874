#include <chrono>
#include <iostream>
#include <thread>

#include "CliContext.h"
#include "CliUsage.h"
#include "platform/IMessageSink.h"
#include "reader/FelicaReader.h"

namespace stampwell::cli {

namespace {

// Remembers whether the reader could not be opened, besides printing the message.
class COpenWatch : public IMessageSink {
public:
    void ShowMessage(std::string_view text, EMessageIcon) override {
        std::cerr << text << '\n';
        failed = true;
    }
    bool failed = false;
};

int WaitForCard(const CliOptions& options, double timeoutSeconds) {
    COpenWatch watch;
    std::string error;
    auto reader = CreateFelicaReader(options.reader, true, watch, &error);
    if (!reader) return Refuse(error);
    if (watch.failed) return kRefused;
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    for (;;) {
        std::string card;
        if (reader->Poll(card)) {
            std::cout << card << '\n';
            return kOk;
        }
        if (reader->IsReaderDisconnected()) {
            return Refuse("カードリーダーが接続されていません。");
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return Refuse(std::to_string(static_cast<int>(timeoutSeconds)) +
                          " 秒以内にカードがかざされませんでした。");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

}  // namespace

void AddReaderCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto timeout = std::make_shared<double>(30.0);
    auto* reader = app.add_subcommand("reader", "カードがかざされるのを待ち、カードのIDを表示する");
    reader->add_option("--timeout", *timeout, "待つ秒数（既定は30秒）")
        ->check(CCliUsage::SecondsIn(0.1, 86400));
    reader->callback(
        [&, timeout] { action = [&options, timeout] { return WaitForCard(options, *timeout); }; });
}

}  // namespace stampwell::cli
