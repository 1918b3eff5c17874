#include "workfile/MonthIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "calendar/WorkDate.h"
#include "platform/FileSystem.h"
#include "workfile/IndexText.h"
#include "workfile/WorkFileReader.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;
constexpr const char* kMagic = "stampwell-months 1";

std::uint64_t WholeSize(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_size < 0) return 0;
    return static_cast<std::uint64_t>(status.st_size) / kLength * kLength;
}

// Adds a block to a month's ranges (noted in file order); too many ranges are joined where the
// gap between two is smallest, which only makes a read longer, never miss a record.
void Add(std::vector<CMonthIndex::Range>& ranges, std::uint64_t offset) {
    if (!ranges.empty() && ranges.back().to == offset) {
        ranges.back().to = offset + kLength;
        return;
    }
    ranges.push_back({offset, offset + kLength});
    if (ranges.size() <= CMonthIndex::kMaxRangesPerMonth) return;
    std::size_t best = 0;
    for (std::size_t i = 1; i + 1 < ranges.size(); ++i) {
        if (ranges[i + 1].from - ranges[i].to < ranges[best + 1].from - ranges[best].to) best = i;
    }
    ranges[best].to = ranges[best + 1].to;
    ranges.erase(ranges.begin() + static_cast<std::ptrdiff_t>(best) + 1);
}
}  // namespace

CMonthIndex::CMonthIndex(fs::path work) : m_work(std::move(work)) {}

fs::path CMonthIndex::FilePath() const {
    fs::path path = m_work;
    path += ".months";
    return path;
}

bool CMonthIndex::IsForeign() const {
    struct stat status {};
    return ::lstat(FilePath().c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

int CMonthIndex::MonthOf(std::string_view text) {
    // The month reader takes only records with the stored 32-byte name.
    if (text.size() <= WorkLine::kNameWidth || text[WorkLine::kNameWidth] != ',') return 0;
    const int date = CWorkDate::Number(WorkLine::Parse(text).date);
    return date < 0 ? 0 : date / 100;
}

void CMonthIndex::CBuilder::Note(std::uint64_t offset, std::string_view text) {
    const int month = MonthOf(text);
    if (month > 0) Add(m_months[month], offset);
}

std::optional<CMonthIndex::State> CMonthIndex::Load() const {
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
    std::string magic, first, last, line;
    unsigned long long size = 0;
    std::getline(in, magic);
    if (magic != kMagic || !(in >> first >> size >> last)) return std::nullopt;
    State state;
    state.size = size;
    if (!CIndexText::FromHex(first, state.first) || !CIndexText::FromHex(last, state.last) ||
        size % kLength != 0 || (size > 0) != !state.last.empty() ||
        (size > 0) != !state.first.empty()) {
        return std::nullopt;
    }
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        int month = 0;
        if (!(fields >> month) || month <= 0 || state.months.contains(month)) return std::nullopt;
        auto& ranges = state.months[month];
        std::string range;
        while (fields >> range) {
            unsigned long long from = 0, to = 0;
            char dash = 0;
            std::istringstream pair(range);
            if (!(pair >> from >> dash >> to) || dash != '-' || from % kLength != 0 ||
                to % kLength != 0 || from >= to || to > size ||
                (!ranges.empty() && from < ranges.back().to) ||
                ranges.size() >= kMaxRangesPerMonth) {
                return std::nullopt;
            }
            ranges.push_back({from, to});
        }
        if (ranges.empty()) return std::nullopt;
    }
    return state;
}

std::optional<CMonthIndex::State> CMonthIndex::LoadFor(int fd) const {
    auto state = Load();
    if (!state) return std::nullopt;
    const std::uint64_t whole = WholeSize(fd);
    if (whole < state->size) return std::nullopt;
    if (whole > 0 && CIndexText::BlockAt(fd, 0) != state->first) return std::nullopt;
    if (state->size > 0 && CIndexText::BlockAt(fd, state->size - kLength) != state->last)
        return std::nullopt;
    return state;
}

std::optional<CMonthIndex::Found> CMonthIndex::Find(int fd, const std::vector<int>& months) const {
    auto state = LoadFor(fd);
    if (!state) return std::nullopt;
    Found found;
    found.described = state->size;
    char plain[kLength];
    for (int month : months) {
        auto it = state->months.find(month);
        if (it == state->months.end()) continue;
        for (const auto& range : it->second) {
            // Each range begins with a record of its month, or the file is not the one indexed.
            const std::string block = CIndexText::BlockAt(fd, range.from);
            if (block.empty() || MonthOf(CWorkFileReader::Decipher(block.data(), plain)) != month) {
                return std::nullopt;
            }
            found.ranges.push_back(range);
        }
    }
    const std::uint64_t whole = WholeSize(fd);
    if (whole > state->size) found.ranges.push_back({state->size, whole});
    // In file order, overlapping ranges joined, so every block is read once and in order.
    std::sort(found.ranges.begin(), found.ranges.end(),
              [](const Range& a, const Range& b) { return a.from < b.from; });
    std::vector<Range> joined;
    for (const auto& range : found.ranges) {
        if (!joined.empty() && range.from <= joined.back().to) {
            joined.back().to = std::max(joined.back().to, range.to);
        } else {
            joined.push_back(range);
        }
    }
    found.ranges = std::move(joined);
    return found;
}

std::optional<CMonthIndex::CBuilder> CMonthIndex::KeepBefore(int fd, std::uint64_t at) const {
    auto state = LoadFor(fd);
    if (!state || at > state->size) return std::nullopt;
    CBuilder builder;
    for (auto& [month, ranges] : state->months) {
        std::vector<Range> kept;
        for (const auto& range : ranges) {
            if (range.from >= at) break;
            kept.push_back({range.from, std::min(range.to, at)});
        }
        if (!kept.empty()) builder.m_months[month] = std::move(kept);
    }
    return builder;
}

void CMonthIndex::Save(int fd, CBuilder& builder) const {
    // Only a help: a folder that cannot take it means a full read next time.
    if (IsForeign()) return;
    const std::uint64_t whole = WholeSize(fd);
    const std::string first = whole > 0 ? CIndexText::BlockAt(fd, 0) : std::string{};
    const std::string last = whole > 0 ? CIndexText::BlockAt(fd, whole - kLength) : std::string{};
    if (whole > 0 && (first.empty() || last.empty())) return;
    std::string text = std::string(kMagic) + "\n" + CIndexText::ToHex(first) + " " +
                       std::to_string(whole) + " " + CIndexText::ToHex(last) + "\n";
    for (const auto& [month, ranges] : builder.m_months) {
        std::string line = std::to_string(month);
        for (const auto& range : ranges) {
            if (range.to > whole) return;  // noted past the file: not this file's index
            line += " " + std::to_string(range.from) + "-" + std::to_string(range.to);
        }
        text += line + "\n";
    }
    if (text.size() > kMaxFileSize) {
        Forget();
        return;
    }
    CFileSystem::WriteWholeFile(FilePath(), FilePath().filename().string() + ".tmp", text);
}

void CMonthIndex::Forget() const {
    if (!IsForeign()) ::unlink(FilePath().c_str());
}

}  // namespace stampwell
