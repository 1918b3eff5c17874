#include "diagnostics/ErrorLog.h"

#include <cstdio>
#include <string>

#include "platform/FileHandle.h"
#include "text/TextCodec.h"

namespace stampwell {

void ErrorLog(const std::filesystem::path& dataDir, int line, std::string_view func,
              std::string_view file) {
    std::string fileName = std::filesystem::path(std::string(file)).filename().string();
    char head[64];
    std::snprintf(head, sizeof head, "Line = %d, Data = %s, Func = ", line, __DATE__);
    std::string text = head;
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
