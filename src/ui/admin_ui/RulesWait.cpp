#include "admin_ui/RulesWait.h"

#include <memory>

#include "admin_ui/ShareWait.h"
#include "controller/RecorderController.h"
#include "officestore/OfficeStores.h"
#include "platform/IPrompt.h"

namespace stampwell {

std::optional<RulesRead> ReadRulesWaiting(QWidget& window, CRecorderController& controller) {
    // The job owns what it touches: it goes on by itself when the administrator stops waiting.
    struct Job {
        std::shared_ptr<IRulesStore> store;
        RulesRead read;
        bool done = false;
    };
    auto job = std::make_shared<Job>();
    job->store = OpenRulesStore(controller.Runtime());
    CShareWait wait(&window);
    if (!wait.Run([job] { job->done = job->store->Read(job->read.rules, &job->read.unread); })) {
        controller.Prompt().ShowMessage(
            "共有フォルダ（勤務ルールの場所）が応答しないため、読み込みをやめました。",
            EMessageIcon::None);
        return std::nullopt;
    }
    if (!job->done) {
        controller.Prompt().ShowMessage(
            "勤務ルールを読めませんでした。しばらくしてからもう一度開いてください。",
            EMessageIcon::None);
        return std::nullopt;
    }
    return job->read;
}

}  // namespace stampwell
