#include "trail/EditLog.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <optional>

#include "diagnostics/ErrorLog.h"
#include "platform/FileHandle.h"
#include "platform/FileSystem.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
constexpr const char* kHeader = "#日時,管理者ID,氏名,勤務日,区分,修正前,修正後,修正理由";

CEditLog::Entry ParseLine(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (;;) {
        std::size_t comma = line.find(',', from);
        fields.push_back(CTextCodec::FromCp932(line.substr(from, comma - from)));
        if (comma == std::string::npos) break;
        from = comma + 1;
    }
    fields.resize(8);
    return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], fields[7]};
}

bool IsComment(const std::string& line) {
    return line.empty() || line[0] == '#' || line == "\r";
}
}  // namespace

CEditLog::CEditLog(const std::filesystem::path& workFile, std::filesystem::path dataDir)
    : m_path(workFile.parent_path() / "EditLog.txt"), m_dataDir(std::move(dataDir)) {}

bool CEditLog::IsStorable(const std::string& text) {
    return text.find_first_of(",\r\n") == std::string::npos && CTextCodec::ToCp932(text);
}

bool CEditLog::AppendLines(const std::vector<Entry>& entries) const {
    std::string lines;
    for (const auto& entry : entries) {
        std::string line;
        bool first = true;
        for (const std::string* field : {&entry.when, &entry.admin, &entry.name, &entry.day,
                                         &entry.side, &entry.before, &entry.after, &entry.reason}) {
            if (!IsStorable(*field)) return false;
            if (!first) line += ',';
            line += *CTextCodec::ToCp932(*field);
            first = false;
        }
        lines += line + "\r\n";
    }
    bool cut = false;
    const bool ok =
        CFileSystem::AppendWhole(m_path, lines, 0, *CTextCodec::ToCp932(kHeader) + "\r\n", &cut);
    // A line cut short by a crash is dropped before the next lines, so none is glued onto it.
    if (cut) {
        ErrorLog(m_dataDir, __LINE__,
                 "修正履歴の末尾の書きかけの行を切り取りました (CEditLog::Append)", __FILE__);
    }
    return ok;
}

bool CEditLog::BeginBatch(const Entry& marker, const std::vector<Entry>& changes) const {
    std::vector<Entry> lines;
    lines.push_back(
        {marker.when, marker.admin, marker.name, "", kSaveStarted, "", "", marker.reason});
    lines.insert(lines.end(), changes.begin(), changes.end());
    return AppendLines(lines);
}

bool CEditLog::EndBatch(const Entry& marker, bool saved,
                        const std::vector<std::string>& failedDays) const {
    std::vector<Entry> lines;
    if (saved) {
        lines.push_back(
            {marker.when, marker.admin, marker.name, "", kSaveDone, "", "", marker.reason});
    } else {
        for (const auto& day : failedDays) {
            lines.push_back(
                {marker.when, marker.admin, marker.name, day, kSaveFailed, "", "", marker.reason});
        }
    }
    return lines.empty() || AppendLines(lines);
}

bool CEditLog::FindOpenBatch(Entry& marker, std::vector<Entry>& changes) const {
    changes.clear();
    CFileDescriptor fd = CFileSystem::Open(m_path, O_RDONLY);
    if (!fd) return false;
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0) return false;
    const auto size = static_cast<std::uint64_t>(status.st_size);
    // Only the end of the trail is read: back to its last marker line.
    for (std::uint64_t window = 65536;; window *= 4) {
        const std::uint64_t from = size > window ? size - window : 0;
        std::string chunk(static_cast<std::size_t>(size - from), '\0');
        if (!CFileSystem::ReadAt(fd.Get(), from, chunk.data(), chunk.size())) return false;
        std::size_t pos = 0;
        if (from > 0) {
            pos = chunk.find('\n');
            pos = pos == std::string::npos ? chunk.size() : pos + 1;
        }
        std::vector<Entry> lines;
        std::optional<std::size_t> lastMarker;
        while (pos < chunk.size()) {
            std::size_t end = chunk.find('\n', pos);
            if (end == std::string::npos) end = chunk.size();
            std::string line = chunk.substr(pos, end - pos);
            pos = end + 1;
            if (IsComment(line)) continue;
            Entry entry = ParseLine(line);
            if (entry.side == kSaveStarted || entry.side == kSaveDone ||
                entry.side == kSaveFailed) {
                lastMarker = lines.size();
            }
            lines.push_back(entry);
        }
        if (!lastMarker && from > 0) continue;
        if (!lastMarker || lines[*lastMarker].side != kSaveStarted) return false;
        marker = lines[*lastMarker];
        for (std::size_t k = *lastMarker + 1; k < lines.size(); ++k) {
            lines[k].state = EState::kPending;
            changes.push_back(lines[k]);
        }
        return true;
    }
}

bool CEditLog::ForEach(const std::function<void(const Entry&)>& visit) const {
    if (!CFileSystem::Exists(m_path)) return true;
    FileHandle file = OpenFile(m_path, "rb");
    if (!file) return false;
    std::vector<Entry> batch;
    bool open = false;
    auto close = [&](EState state) {
        for (auto& entry : batch) {
            entry.state = state;
            visit(entry);
        }
        batch.clear();
        open = false;
    };
    std::string line;
    char buffer[65536];
    std::size_t got;
    auto take = [&](const std::string& raw) {
        if (IsComment(raw)) return;
        Entry entry = ParseLine(raw);
        if (entry.side == kSaveStarted) {
            if (open) close(EState::kPending);  // a crash left it open before this one
            open = true;
        } else if (entry.side == kSaveDone) {
            close(EState::kDone);
        } else if (entry.side == kSaveFailed) {
            if (open) close(EState::kFailed);
            entry.state = EState::kFailed;
            visit(entry);
        } else if (open) {
            entry.state = EState::kPending;
            batch.push_back(entry);
        } else {
            visit(entry);  // a line from before batches: its save is done
        }
    };
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        for (std::size_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n') {
                take(line);
                line.clear();
            } else {
                line += buffer[i];
            }
        }
    }
    if (std::ferror(file.get())) return false;
    if (!line.empty()) take(line);
    if (open) close(EState::kPending);
    return true;
}

bool CEditLog::Read(std::vector<Entry>& entries) const {
    entries.clear();
    return ForEach([&](const Entry& entry) { entries.push_back(entry); });
}

}  // namespace stampwell
