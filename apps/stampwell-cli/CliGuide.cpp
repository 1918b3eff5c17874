#include <iostream>

#include "CliContext.h"
#include "platform/Runtime.h"

namespace stampwell::cli {

void AddGuideCommand(CLI::App& app, CommandResult& action) {
    app.add_subcommand("guide", "説明書（manual-ja.html）の場所を表示する")->callback([&action] {
        action = []() -> int {
            auto guide = CRuntime::FindGuide(CRuntime::ExecutableDir());
            if (!guide) return Refuse("説明書（manual-ja.html）が見つかりません。");
            std::cout << guide->string() << '\n';
            return kOk;
        };
    });
}

}  // namespace stampwell::cli
