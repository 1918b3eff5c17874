#include "recording/TodayIndex.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "platform/FileSystem.h"
#include "recording/WorkDate.h"
#include "recording/WorkLine.h"

namespace stampwell {

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;
constexpr const char* kMagic = "stampwell-index 1";

std::string ToHex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex.empty() ? "-" : hex;
}

bool FromHex(const std::string& hex, std::string& bytes) {
    bytes.clear();
    if (hex == "-") return true;
    if (hex.size() != 2 * kLength) return false;
    auto value = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int high = value(hex[i]), low = value(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

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

void CTodayIndex::Invalidate(const fs::path& work) {
    fs::path path = work;
    path += ".index";
    ::unlink(path.c_str());
}

std::optional<CTodayIndex::State> CTodayIndex::Load() const {
    if (CFileSystem::IsForeign(FilePath())) return std::nullopt;
    auto content = CFileSystem::ReadWholeFile(FilePath());
    if (!content || content->size() > 1024) return std::nullopt;
    std::istringstream in(*content);
    std::string magic;
    std::getline(in, magic);
    if (magic != kMagic) return std::nullopt;
    unsigned long long device = 0, inode = 0, from = 0;
    int date = 0;
    std::string first, last;
    if (!(in >> device >> inode >> from >> date >> first >> last)) return std::nullopt;
    State state;
    state.device = static_cast<dev_t>(device);
    state.inode = static_cast<ino_t>(inode);
    state.from = from;
    state.date = date;
    if (!FromHex(first, state.first) || !FromHex(last, state.last)) return std::nullopt;
    return state;
}

void CTodayIndex::Save(const State& state) const {
    char numbers[128];
    std::snprintf(numbers, sizeof numbers, "%llu %llu %llu %d ",
                  static_cast<unsigned long long>(state.device),
                  static_cast<unsigned long long>(state.inode),
                  static_cast<unsigned long long>(state.from), state.date);
    std::string text =
        std::string(kMagic) + "\n" + numbers + ToHex(state.first) + " " + ToHex(state.last) + "\n";
    // Only a help: a folder that cannot take it means a full scan next time.
    CFileSystem::WriteWholeFile(FilePath(), FilePath().filename().string() + ".tmp", text);
}

bool CTodayIndex::ReadFences(int fd, State& state) {
    state.first.clear();
    state.last.clear();
    if (state.from == 0) return true;
    char block[kLength];
    if (!CFileSystem::ReadAt(fd, 0, block, kLength)) return false;
    state.first.assign(block, kLength);
    if (!CFileSystem::ReadAt(fd, state.from - kLength, block, kLength)) return false;
    state.last.assign(block, kLength);
    return true;
}

bool CTodayIndex::Fits(int fd, const State& state, dev_t device, ino_t inode,
                       std::uint64_t wholeBytes, int today) {
    if (state.device != device || state.inode != inode || state.from > wholeBytes ||
        state.from % kLength != 0 || today < state.date) {
        return false;
    }
    State now = state;
    if (!ReadFences(fd, now)) return false;
    return now.first == state.first && now.last == state.last;
}

bool CTodayIndex::ForEachRecent(int fd, int today, const CWorkFileReader::Visit& visit) {
    m_blocksRead = 0;
    struct stat status {};
    if (::fstat(fd, &status) != 0) return false;
    const std::uint64_t whole = static_cast<std::uint64_t>(status.st_size) / kLength * kLength;
    const auto loaded = Load();
    const bool fits = loaded && Fits(fd, *loaded, status.st_dev, status.st_ino, whole, today);
    const std::uint64_t from = fits ? loaded->from : 0;
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
    State state;
    state.device = status.st_dev;
    state.inode = status.st_ino;
    state.from = firstRecent.value_or(whole);
    state.date = today;
    if (!ReadFences(fd, state)) return true;
    if (!loaded || !fits || loaded->from != state.from || loaded->date != state.date) Save(state);
    return true;
}

}  // namespace stampwell
