#include "workfile/WorkExport.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "platform/FileSystem.h"
#include "text/TextCodec.h"
#include "workfile/NameCache.h"
#include "workfile/WorkFileReader.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;

// Every block of the period, deciphered; the others are passed over after a look at their date.
bool ForEachInPeriod(const std::filesystem::path& work, const CPayPeriod& period,
                     const std::string& cipherPrefix,
                     const std::function<void(std::string_view, const WorkLine&)>& visit) {
    CFileDescriptor fd = CFileSystem::Open(work, O_RDONLY);
    if (!fd) return false;
    char plain[kLength];
    char date[12];
    const bool onePerson = !cipherPrefix.empty();
    return CWorkFileReader::ForEachBlock(
        fd.Get(), 0, CWorkFileReader::kToEnd, [&](std::size_t, const char* cipher) {
            if (onePerson && std::memcmp(cipher, cipherPrefix.data(), cipherPrefix.size()) != 0) {
                return true;
            }
            // The date at its place first: most of ten years is passed over without
            // deciphering the rest of the record.
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

void CWorkExport::AppendCsvLine(std::string& csv, const WorkLine& record) {
    csv += ",,";
    csv += CTextCodec::PadCp932(record.name, WorkLine::kNameWidth);
    csv += ",,";
    csv += record.date;
    if (record.end.empty()) {
        csv += ',';
        csv += record.start;
        csv += ",,,";
    } else {
        csv += ",,,,";
        csv += record.end;
    }
    csv += "\r\n";
}

bool CWorkExport::MakeCsv(const std::filesystem::path& work, const CPayPeriod& period,
                          std::string& csv) {
    csv.clear();
    return ForEachInPeriod(work, period, {}, [&](std::string_view, const WorkLine& record) {
        AppendCsvLine(csv, record);
    });
}

bool CWorkExport::Write(const std::filesystem::path& work, const CPayPeriod& period,
                        const std::filesystem::path& out, std::string& reason) {
    std::string csv;
    if (!MakeCsv(work, period, csv)) {
        reason = "勤務ファイルを最後まで読めませんでした。";
        return false;
    }
    return WriteCsv(out, csv, reason);
}

bool CWorkExport::WriteCsv(const std::filesystem::path& out, const std::string& csv,
                           std::string& reason) {
    if (!CFileSystem::WriteWholeFile(out, out.filename().string() + ".tmp", csv)) {
        reason = CFileSystem::IsNoSpace(errno)
                     ? "ディスクの空き容量が足りないため、書き込めませんでした。"
                     : "出力先のファイルに書き込めませんでした。";
        return false;
    }
    return true;
}

bool CWorkExport::Collect(const std::filesystem::path& work, const CPayPeriod& period,
                          const std::string& cipherPrefix, WorkRecordTable& table) {
    table.Clear();
    CNameCache names;
    return ForEachInPeriod(work, period, cipherPrefix, [&](std::string_view, const WorkLine& line) {
        if (line.name.empty()) return;
        table.MergeRecord({names.Trimmed(line.name), std::string(line.date),
                           std::string(line.start), std::string(line.end)});
    });
}

}  // namespace stampwell
