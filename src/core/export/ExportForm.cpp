#include "export/ExportForm.h"

#include "officestore/OfficeStores.h"
#include "platform/FileSystem.h"
#include "platform/IPrompt.h"
#include "settings/ISettings.h"

namespace stampwell {

namespace {
// Collects what the export would show, for the screen to show on its own thread.
class CCollectingSink : public IMessageSink {
public:
    void ShowMessage(std::string_view text, EMessageIcon) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};
}  // namespace

std::string CExportForm::DefaultFileName(const std::string& yearText,
                                         const std::string& monthText) {
    return yearText + "年" + monthText + "月度";
}

std::filesystem::path CExportForm::Destination(const std::string& folder, const std::string& name) {
    return std::filesystem::path(folder) / (name + ".csv");
}

bool CExportForm::MayExport(const std::string& fileName, const std::filesystem::path& destination,
                            IPrompt& prompt) {
    if (fileName.empty()) {
        prompt.ShowMessage("ファイル名を指定してください。", EMessageIcon::None);
        return false;
    }
    if (CFileSystem::Exists(destination) &&
        !prompt.AskYesNo("既に同名ファイルが存在します。\nこのファイルを上書きしますか？")) {
        return false;
    }
    return true;
}

CExportForm::Outcome CExportForm::Export(const CRuntime& runtime,
                                         std::shared_ptr<const ISettings> settings,
                                         const Request& request) {
    auto sink = std::make_shared<CCollectingSink>();
    CRuntime own(runtime.DataDir(), runtime.ClockPtr(), sink);
    const auto report = OpenWorkStore(own);
    report->SetSettings(std::move(settings));
    report->SetExportYear(request.year);
    report->SetExportMonth(request.month);
    report->SetExportClosing(request.closing);
    report->SetExportPath(request.destination.string());
    Outcome outcome;
    outcome.ok = report->Export();
    outcome.messages = sink->messages;
    outcome.reason = report->LastExportError();
    return outcome;
}

std::string CExportForm::ResultMessage(bool ok, const std::filesystem::path& destination,
                                       bool windowOpen) {
    std::string text = ResultMessage(ok);
    if (!windowOpen) text += "\n" + destination.string();
    return text;
}

const char* CExportForm::ResultMessage(bool ok) {
    return ok ? "エクスポートが完了しました。"
              : "エクスポートに失敗しました。出力先のファイルを確認してください。";
}

}  // namespace stampwell
