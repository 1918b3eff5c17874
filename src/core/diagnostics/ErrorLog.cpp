#include "diagnostics/ErrorLog.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "platform/FileHandle.h"
#include "platform/IClock.h"
#include "platform/LocalTime.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {

std::string EventTime(const IClock* clock) {
    const std::int64_t now =
        clock != nullptr ? clock->Now() : static_cast<std::int64_t>(std::time(nullptr));
    const auto tm = CLocalTime::ToLocal(now);
    if (!tm) return "----/--/-- --:--:--";
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", tm->tm_year + 1900,
                  tm->tm_mon + 1, tm->tm_mday, tm->tm_hour, tm->tm_min, tm->tm_sec);
    return text;
}

}  // namespace

void ErrorLog(const std::filesystem::path& dataDir, int line, std::string_view func,
              std::string_view file, const IClock* clock) {
    std::string fileName = std::filesystem::path(std::string(file)).filename().string();
    std::string text =
        "Line = " + std::to_string(line) + ", Data = " + EventTime(clock) + ", Func = ";
    text += func;
    text += ", FileName = ";
    text += fileName;
    // A text with no CP932 form keeps its ASCII part rather than losing the whole line.
    std::string bytes = CTextCodec::ToCp932(text).value_or(std::string{});
    if (bytes.empty()) {
        for (char c : text) bytes += (static_cast<unsigned char>(c) < 0x80) ? c : '?';
    }
    bytes += "\r\n";
    FileHandle log = OpenFile(dataDir / "ErrorLog.txt", "ab");
    if (!log) return;
    std::fwrite(bytes.data(), 1, bytes.size(), log.get());
}

}  // namespace stampwell
