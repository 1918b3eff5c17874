#include "workfile/WaitingMerge.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <tuple>

#include "calendar/WorkDate.h"
#include "people/CipherRecordFile.h"
#include "text/TextCodec.h"
#include "workfile/WorkFileReader.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace {

constexpr std::size_t kLength = WorkLine::kRecordLength;
constexpr int kRoomTooSoonMinutes = 5;

// A record of a person's day and side as it stands: in the work file (number) or among the
// waiting records that will be appended (action).
struct Standing {
    int minutes = 0;
    std::size_t number = 0;
    std::optional<std::size_t> action;
};

using Key = std::tuple<std::string, std::string, int>;  // padded name, date, side

std::string Describe(const WorkLine& line, bool roomMode, std::string_view what) {
    std::string_view name = line.name;
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    const char* side =
        line.Side() == 0 ? (roomMode ? "入室" : "出社") : (roomMode ? "退室" : "退社");
    return "待機中の記録を統合: " + CTextCodec::FromCp932(name) + " " + std::string(line.date) +
           " " + side + " " + std::string(line.Time()) + " " + std::string(what);
}

}  // namespace

std::vector<CWaitingMerge::Action> CWaitingMerge::Decide(const std::vector<Known>& known,
                                                         const std::string& waiting,
                                                         bool roomMode) {
    std::map<Key, Standing> standing;
    // The last tap of a person's day, for room mode's 5-minute rule.
    std::map<std::pair<std::string, std::string>, int> last;
    auto note = [&](const WorkLine& line, int minutes) {
        auto& latest = last[{std::string(line.name), std::string(line.date)}];
        latest = std::max(latest, minutes);
    };
    for (const auto& record : known) {
        const WorkLine line = WorkLine::Parse(record.text);
        const int side = line.Side();
        if (side < 0) continue;
        const int minutes = CWorkDate::ParseMinutes(line.Time());
        // The first record of a side is the one a tap finds and overwrites.
        standing.try_emplace({std::string(line.name), std::string(line.date), side},
                             Standing{minutes, record.number, std::nullopt});
        note(line, minutes);
    }
    std::vector<Action> actions;
    char plain[kLength];
    for (std::size_t at = 0; at + kLength <= waiting.size(); at += kLength) {
        Action action;
        action.block = waiting.substr(at, kLength);
        WorkLine line = WorkLine::Parse(CWorkFileReader::Decipher(action.block.data(), plain));
        int side = line.Side();
        const int minutes = CWorkDate::ParseMinutes(line.Time());
        if (side < 0 || minutes < 0) {
            actions.push_back(std::move(action));  // not ours to judge: moved as it is
            continue;
        }
        // In room mode a tap after the day's entry is an exit, whatever a clock that had not
        // seen the entry decided.
        if (roomMode && side == 0 &&
            standing.count({std::string(line.name), std::string(line.date), 0}) > 0) {
            const std::string text = WorkLine::Format(line.name, line.date, line.Time(), 1);
            action.block = CCipherRecordFile::Encipher(text, kLength);
            line = WorkLine::Parse(CWorkFileReader::Decipher(action.block.data(), plain));
            side = 1;
            action.note = Describe(line, roomMode, "（入室済みのため退室として記録）");
        }
        const Key key{std::string(line.name), std::string(line.date), side};
        const auto person = std::make_pair(std::string(line.name), std::string(line.date));
        // Two clocks that saw one passage each recorded it.
        if (roomMode && last.count(person) > 0 &&
            std::abs(minutes - last[person]) <= kRoomTooSoonMinutes) {
            action.kind = Action::EKind::kDrop;
            action.note = Describe(line, roomMode, "（直前の記録から5分以内のため破棄）");
            actions.push_back(std::move(action));
            continue;
        }
        auto found = standing.find(key);
        if (found == standing.end()) {
            standing.emplace(key, Standing{minutes, 0, actions.size()});
            note(line, minutes);
            actions.push_back(std::move(action));
            continue;
        }
        Standing& there = found->second;
        // A start keeps the earlier time, an end the later one.
        const bool wins = side == 0 ? minutes < there.minutes : minutes > there.minutes;
        if (!wins) {
            action.kind = Action::EKind::kDrop;
            action.note = Describe(line, roomMode, "（既存の記録を残して破棄）");
            actions.push_back(std::move(action));
            continue;
        }
        note(line, minutes);
        there.minutes = minutes;
        if (there.action) {
            // The waiting record that stood there gives way: this one is appended instead.
            Action& earlier = actions[*there.action];
            earlier.kind = Action::EKind::kDrop;
            earlier.note = Describe(line, roomMode, "（待機中の記録を置き換え）");
            there.action = actions.size();
            actions.push_back(std::move(action));
            continue;
        }
        action.kind = Action::EKind::kOverwrite;
        action.number = there.number;
        action.note = Describe(line, roomMode, "（既存の記録を置き換え）");
        // A later waiting block over the same record replaces this overwrite.
        for (auto& earlier : actions) {
            if (earlier.kind == Action::EKind::kOverwrite && earlier.number == there.number) {
                earlier.kind = Action::EKind::kDrop;
            }
        }
        actions.push_back(std::move(action));
    }
    return actions;
}

}  // namespace stampwell
