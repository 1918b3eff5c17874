#include "workfile/TodayIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "calendar/WorkDate.h"
#include "platform/FileSystem.h"
#include "workfile/IndexText.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;
constexpr const char* kMagic = "stampwell-index 2";

// The date number of a record as every reader of today's records takes it.
int DateOf(std::string_view text) {
    int date = CWorkDate::FixedNumber(text);
    if (date >= 0) return date;
    return CWorkDate::Number(WorkLine::Parse(text).date);
}

}  // namespace

CTodayIndex::CTodayIndex(fs::path work) : m_work(std::move(work)) {}

fs::path CTodayIndex::FilePath() const {
    fs::path path = m_work;
    path += ".index";
    return path;
}

bool CTodayIndex::IsForeign() const {
    struct stat status {};
    return ::lstat(FilePath().c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

std::optional<CTodayIndex::State> CTodayIndex::Load() const {
    if (IsForeign()) return std::nullopt;
    CFileDescriptor fd = CFileSystem::Open(FilePath(), O_RDONLY | O_NONBLOCK);
    if (!fd) return std::nullopt;
    // Anyone may write the shared folder: the size is checked before anything is read.
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0 ||
        static_cast<std::uint64_t>(status.st_size) > kMaxFileSize) {
        return std::nullopt;
    }
    std::string content(static_cast<std::size_t>(status.st_size), '\0');
    if (!CFileSystem::ReadAt(fd.Get(), 0, content.data(), content.size())) return std::nullopt;
    std::istringstream in(content);
    std::string magic, first;
    std::getline(in, magic);
    if (magic != kMagic || !(in >> first)) return std::nullopt;
    State state;
    if (!CIndexText::FromHex(first, state.first)) return std::nullopt;
    int date = 0;
    unsigned long long from = 0;
    std::string fence;
    while (in >> date >> from >> fence) {
        Entry entry{date, from, {}};
        if (!CIndexText::FromHex(fence, entry.fence) || from % kLength != 0 ||
            (from > 0) != !entry.fence.empty() || state.entries.size() >= kMaxDays) {
            return std::nullopt;
        }
        state.entries.push_back(std::move(entry));
    }
    return state;
}

void CTodayIndex::Save(const State& state) const {
    std::string text = std::string(kMagic) + "\n" + CIndexText::ToHex(state.first) + "\n";
    for (const auto& entry : state.entries) {
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%d %llu ", entry.date,
                      static_cast<unsigned long long>(entry.from));
        text += numbers + CIndexText::ToHex(entry.fence) + "\n";
    }
    // Only a help: a folder that cannot take it means a full scan next time.
    if (IsForeign()) return;
    CFileSystem::WriteWholeFile(FilePath(), FilePath().filename().string() + ".tmp", text);
}

void CTodayIndex::Keep(std::vector<Entry>& entries, Entry entry) {
    std::erase_if(entries, [&](const auto& e) { return e.date == entry.date; });
    entries.push_back(std::move(entry));
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.date < b.date; });
    if (entries.size() > kMaxDays) {
        entries.erase(entries.begin(), entries.end() - static_cast<std::ptrdiff_t>(kMaxDays));
    }
}

bool CTodayIndex::ForEachRecent(int fd, int today, const CWorkFileReader::Visit& visit) {
    m_blocksRead = 0;
    struct stat status {};
    if (::fstat(fd, &status) != 0) return false;
    const std::uint64_t whole = static_cast<std::uint64_t>(status.st_size) / kLength * kLength;
    const std::string first = whole > 0 ? CIndexText::BlockAt(fd, 0) : std::string{};
    if (whole > 0 && first.empty()) return false;
    // The entries that still describe this file; the start is that of the newest day not after
    // today (every record before it is of an earlier day).
    State kept;
    kept.first = first;
    const auto loaded = Load();
    if (loaded && loaded->first == first) {
        for (const auto& entry : loaded->entries) {
            if (entry.from > whole) continue;
            if (entry.from > 0 && CIndexText::BlockAt(fd, entry.from - kLength) != entry.fence)
                continue;
            kept.entries.push_back(entry);
        }
    }
    std::uint64_t from = 0;
    for (const auto& entry : kept.entries) {
        if (entry.date <= today) from = entry.from;
    }
    std::optional<std::uint64_t> firstRecent;
    bool stopped = false;
    bool read = CWorkFileReader::ForEachIn(fd, from / kLength, whole / kLength,
                                           [&](std::size_t number, std::string_view text) {
                                               ++m_blocksRead;
                                               if (!firstRecent && DateOf(text) >= today)
                                                   firstRecent = (number - 1) * kLength;
                                               if (visit(number, text)) return true;
                                               stopped = true;
                                               return false;
                                           });
    if (!read) return false;
    if (stopped && !firstRecent) return true;
    Entry entry{today, firstRecent.value_or(whole), {}};
    if (entry.from > 0) {
        entry.fence = CIndexText::BlockAt(fd, entry.from - kLength);
        if (entry.fence.empty()) return true;
    }
    const bool known = std::any_of(kept.entries.begin(), kept.entries.end(), [&](const Entry& e) {
        return e.date == entry.date && e.from == entry.from && e.fence == entry.fence;
    });
    Keep(kept.entries, std::move(entry));
    if (!known || !loaded || loaded->entries.size() != kept.entries.size()) Save(kept);
    return true;
}

void CTodayIndex::Renew(std::string_view blocks, std::uint64_t at) const {
    if (IsForeign()) return;
    const auto loaded = Load();
    if (!loaded || loaded->entries.empty() || at % kLength != 0) {
        ::unlink(FilePath().c_str());
        return;
    }
    const std::size_t count = blocks.size() / kLength;
    CFileDescriptor fd;
    if (at > 0) {
        fd = CFileSystem::Open(m_work, O_RDONLY);
        if (!fd) return;
    }
    // Blocks before `at` are read from the file; the new ones from blocks.
    auto blockAt = [&](std::uint64_t offset) -> std::string {
        if (offset >= at) return std::string(blocks.substr(offset - at, kLength));
        return CIndexText::BlockAt(fd.Get(), offset);
    };
    State state;
    state.first = at > 0 ? blockAt(0) : std::string(blocks.substr(0, count > 0 ? kLength : 0));
    if (at > 0 && state.first.empty()) return;
    state.entries = loaded->entries;  // in date order
    // Entries that begin before `at` stay (nothing before them changed, and an entry is only
    // where reading starts); from the first one that does not, each is found again.
    std::size_t pending = 0;
    while (pending < state.entries.size() && state.entries[pending].from <= at) ++pending;
    for (std::size_t i = pending; i < state.entries.size(); ++i) {
        state.entries[i].from = at + count * kLength;
    }
    // One pass: a record of day d is the first recent one of every entry of day d or earlier
    // that has none yet.
    char plain[kLength];
    for (std::size_t i = 0; i < count && pending < state.entries.size(); ++i) {
        const int date = DateOf(CWorkFileReader::Decipher(blocks.data() + i * kLength, plain));
        while (pending < state.entries.size() && state.entries[pending].date <= date) {
            state.entries[pending++].from = at + i * kLength;
        }
    }
    for (auto& entry : state.entries) {
        entry.fence = entry.from > 0 ? blockAt(entry.from - kLength) : std::string{};
        if (entry.from > 0 && entry.fence.empty()) return;
    }
    Save(state);
}

}  // namespace stampwell
