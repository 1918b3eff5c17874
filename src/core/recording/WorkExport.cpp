#include "recording/WorkExport.h"

#include <fcntl.h>

#include <cstring>
#include <unordered_map>

#include "platform/FileSystem.h"
#include "recording/WorkFileReader.h"
#include "recording/WorkLine.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;

// The UTF-8 name of a record's padded CP932 name field. Names repeat on every working day: each
// spelling is converted once.
class CNameCache {
public:
    const std::string& Utf8(std::string_view padded) {
        while (!padded.empty() && padded.back() == ' ') padded.remove_suffix(1);
        auto [it, added] = m_names.try_emplace(std::string(padded));
        if (added) it->second = CTextCodec::FromCp932(padded);
        return it->second;
    }

private:
    std::unordered_map<std::string, std::string> m_names;
};

// Every block of the period, deciphered; the others are passed over after a look at their date.
bool ForEachInPeriod(const std::filesystem::path& work, const CPayPeriod& period,
                     const std::string& cipherPrefix,
                     const std::function<void(std::string_view, const WorkLine&)>& visit) {
    CFileDescriptor fd = CFileSystem::Open(work, O_RDONLY);
    if (!fd) return false;
    char plain[kLength];
    char date[12];
    return CWorkFileReader::ForEachRaw(
        fd.Get(), 0, CWorkFileReader::kToEnd, [&](std::size_t, const char* cipher) {
            if (!cipherPrefix.empty() &&
                std::memcmp(cipher, cipherPrefix.data(), cipherPrefix.size()) != 0) {
                return true;
            }
            CWorkFileReader::DecipherPart(cipher, WorkLine::kNameWidth, sizeof date, date);
            if (auto inside = period.ContainsDateBytes(std::string_view(date, sizeof date));
                inside && !*inside) {
                return true;
            }
            std::string_view text = CWorkFileReader::Decipher(cipher, plain);
            WorkLine line = WorkLine::Parse(text);
            if (period.ContainsText(line.date)) visit(text, line);
            return true;
        });
}
}  // namespace

bool CWorkExport::MakeCsv(const std::filesystem::path& work, const CPayPeriod& period,
                          std::string& csv) {
    csv.clear();
    std::string line;
    return ForEachInPeriod(work, period, {}, [&](std::string_view, const WorkLine& record) {
        line = ",,";
        line += CTextCodec::PadCp932(record.name, WorkLine::kNameWidth);
        line += ",,";
        line += record.date;
        if (record.end.empty()) {
            line += ',';
            line += record.start;
            line += ",,,";
        } else {
            line += ",,,,";
            line += record.end;
        }
        line += "\r\n";
        csv += line;
    });
}

bool CWorkExport::Collect(const std::filesystem::path& work, const CPayPeriod& period,
                          const std::string& cipherPrefix, WorkRecordTable& table) {
    table.Clear();
    CNameCache names;
    return ForEachInPeriod(work, period, cipherPrefix, [&](std::string_view, const WorkLine& line) {
        if (line.name.empty()) return;
        table.MergeRecord({names.Utf8(line.name), std::string(line.date), std::string(line.start),
                           std::string(line.end)});
    });
}

}  // namespace stampwell
