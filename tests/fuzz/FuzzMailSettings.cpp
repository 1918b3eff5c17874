// SendMail.txt and SendMailDetail.txt, read and written back.
#include "FuzzSupport.h"
#include "mail/MailSettings.h"

using namespace stampwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& folder = fuzz::CFuzzFolder::Get();
    CMailSettings settings;
    folder.Put("SendMail.txt", data, size);
    if (settings.LoadTexts(folder.Path())) {
        (void)CMailSettings::ReplacePlaceholders(settings.inText, "#name#time", "2011/08/25 09:05");
        if (settings.SaveTexts(folder.Path())) {
            CMailSettings again;
            again.LoadTexts(folder.Path());
            // What was saved reads back as it was.
            if (again.inText != settings.inText || again.outText != settings.outText ||
                again.title2 != settings.title2) {
                __builtin_trap();
            }
        }
    }
    folder.Put("SendMailDetail.txt", data, size);
    if (settings.LoadServer(folder.Path())) {
        (void)settings.Port();
        (void)settings.UsesAuthentication();
        settings.SaveServer(folder.Path());
    }
    return 0;
}
