#include "workfile/MonthEdit.h"

#include <array>
#include <map>

#include "calendar/WorkDate.h"
#include "people/CipherRecordFile.h"
#include "text/TextCodec.h"
#include "workfile/WorkFileReader.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;
}

CMonthEdit::CMonthEdit(std::string cp932Name, int year, int month)
    : m_name(std::move(cp932Name)),
      m_padded(CTextCodec::PadCp932(m_name, WorkLine::kNameWidth)),
      m_year(year),
      m_month(month),
      m_days(CWorkDate::DaysInMonth(year, month)) {}

CMonthEdit::Place CMonthEdit::Classify(std::string_view text) const {
    if (text.size() <= WorkLine::kNameWidth ||
        text.compare(0, WorkLine::kNameWidth, m_padded) != 0 || text[WorkLine::kNameWidth] != ',') {
        return {};
    }
    WorkLine line = WorkLine::Parse(text);
    int date = CWorkDate::Number(line.date);
    if (date < 0 || date / 100 != m_year * 100 + m_month) return {};
    int day = date % 100;
    if (day < 1 || day > m_days) return {};
    return {day, line.Side()};
}

std::vector<WorkDayRecord> CMonthEdit::EmptyDays(const std::string& name) const {
    std::vector<WorkDayRecord> days;
    for (int d = 1; d <= m_days; ++d)
        days.push_back({name, CWorkDate::Text(m_year, m_month, d), "", ""});
    return days;
}

void CMonthEdit::Note(std::string_view text, std::vector<WorkDayRecord>& days) const {
    Place place = Classify(text);
    if (place.day == 0 || place.side < 0) return;
    WorkLine line = WorkLine::Parse(text);
    WorkDayRecord& record = days[static_cast<std::size_t>(place.day - 1)];
    (place.side == 0 ? record.start : record.end) = std::string(line.Time());
}

std::vector<WorkDayRecord> CMonthEdit::Read(std::string_view blocks,
                                            const std::string& name) const {
    std::vector<WorkDayRecord> days = EmptyDays(name);
    char plain[kLength];
    for (std::size_t at = 0; at + kLength <= blocks.size(); at += kLength) {
        Note(CWorkFileReader::Decipher(blocks.data() + at, plain), days);
    }
    return days;
}

std::optional<std::string> CMonthEdit::Block(int day, int side, const std::string& time) const {
    std::string text = WorkLine::Format(m_name, CWorkDate::Text(m_year, m_month, day), time, side);
    if (text.empty()) return std::nullopt;
    std::string block = CCipherRecordFile::Encipher(text, kLength);
    if (block.empty()) return std::nullopt;
    return block;
}

std::optional<std::string> CMonthEdit::Apply(std::string_view blocks,
                                             const std::vector<Change>& changes) const {
    // What each changed (day, side) becomes: a block, or nothing (the time was cleared).
    std::map<std::pair<int, int>, std::optional<std::string>> wanted;
    for (const auto& change : changes) {
        if (change.day < 1 || change.day > m_days || (change.side != 0 && change.side != 1)) {
            return std::nullopt;
        }
        std::optional<std::string> block;
        if (!change.after.empty()) {
            block = Block(change.day, change.side, change.after);
            if (!block) return std::nullopt;
        }
        wanted[{change.day, change.side}] = block;
    }
    // Where the blocks of each day are: the first end and the last start.
    const std::size_t count = blocks.size() / kLength;
    std::vector<Place> places(count);
    std::vector<std::array<std::ptrdiff_t, 2>> edges(static_cast<std::size_t>(m_days) + 1,
                                                     {-1, -1});  // last start, first end
    char plain[kLength];
    for (std::size_t i = 0; i < count; ++i) {
        places[i] = Classify(CWorkFileReader::Decipher(blocks.data() + i * kLength, plain));
        auto& edge = edges[static_cast<std::size_t>(places[i].day)];
        if (places[i].day == 0) continue;
        if (places[i].side == 0) edge[0] = static_cast<std::ptrdiff_t>(i);
        if (places[i].side == 1 && edge[1] < 0) edge[1] = static_cast<std::ptrdiff_t>(i);
    }
    std::map<std::pair<int, int>, bool> placed;
    auto pending = [&](int day, int side) -> const std::string* {
        auto it = wanted.find({day, side});
        if (it == wanted.end() || !it->second || placed[{day, side}]) return nullptr;
        return &*it->second;
    };
    std::string out;
    out.reserve(blocks.size() + changes.size() * kLength);
    for (std::size_t i = 0; i < count; ++i) {
        const Place place = places[i];
        const std::string_view block = blocks.substr(i * kLength, kLength);
        if (place.day == 0 || place.side < 0) {
            out += block;
            continue;
        }
        const auto& edge = edges[static_cast<std::size_t>(place.day)];
        // A new start goes before the day's first end, when the day had no start.
        if (place.side == 1 && edge[0] < 0 && static_cast<std::ptrdiff_t>(i) == edge[1]) {
            if (const std::string* start = pending(place.day, 0)) {
                out += *start;
                placed[{place.day, 0}] = true;
            }
        }
        auto it = wanted.find({place.day, place.side});
        if (it == wanted.end()) {
            out += block;
        } else if (!placed[{place.day, place.side}]) {
            // The first block of a changed side takes the new time; the others go.
            if (it->second) out += *it->second;
            placed[{place.day, place.side}] = true;
        }
        // A new end goes after the day's last start, when the day had no end.
        if (place.side == 0 && edge[1] < 0 && static_cast<std::ptrdiff_t>(i) == edge[0]) {
            if (const std::string* end = pending(place.day, 1)) {
                out += *end;
                placed[{place.day, 1}] = true;
            }
        }
    }
    for (const auto& [key, block] : wanted) {
        if (block && !placed[key]) out += *block;
    }
    return out;
}

}  // namespace stampwell
