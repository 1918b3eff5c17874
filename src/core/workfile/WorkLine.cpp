#include "workfile/WorkLine.h"

#include <cstring>

#include "text/TextCodec.h"

namespace stampwell {

namespace {
// "%[^,\n]" (or with a blank as well) into a buffer of limit + 1 bytes: consumed whole, kept up
// to limit.
template <bool kStopAtBlank>
std::string_view Field(std::string_view text, std::size_t& pos, std::size_t limit) {
    std::size_t start = pos;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == ',' || c == '\n' || (kStopAtBlank && c == ' ')) break;
        ++pos;
    }
    return CTextCodec::CutCp932(text.substr(start, pos - start), limit);
}

bool HasStop(const char* p, std::size_t n) {
    return std::memchr(p, ',', n) != nullptr || std::memchr(p, '\n', n) != nullptr;
}
}  // namespace

bool WorkLine::HasFixedShape(std::string_view text) {
    return text.size() > 44 && text[kNameWidth] == ',' && text[43] == ',' &&
           !HasStop(text.data(), kNameWidth) && !HasStop(text.data() + 33, 10);
}

WorkLine WorkLine::Parse(std::string_view text) {
    WorkLine line;
    // The stored shape: a 32-byte name and a 10-byte date at fixed places. The same fields as
    // the general reading below, without looking at each byte of them.
    if (HasFixedShape(text)) {
        line.name = text.substr(0, kNameWidth);
        line.date = text.substr(33, 10);
        std::size_t pos = 44;
        line.start = Field<true>(text, pos, 31);
        if (line.start.empty() && pos < text.size() && text[pos] == ',') {
            ++pos;
            line.end = Field<true>(text, pos, 31);
        }
        return line;
    }
    std::size_t pos = 0;
    line.name = Field<false>(text, pos, 63);
    if (line.name.empty() || pos >= text.size() || text[pos] != ',') return line;
    ++pos;
    line.date = Field<false>(text, pos, 31);
    if (line.date.empty() || pos >= text.size() || text[pos] != ',') return line;
    ++pos;
    line.start = Field<true>(text, pos, 31);
    if (line.start.empty() && pos < text.size() && text[pos] == ',') {
        ++pos;
        line.end = Field<true>(text, pos, 31);
    }
    return line;
}

std::string WorkLine::Format(std::string_view cp932Name, std::string_view date,
                             std::string_view time, int side) {
    if (cp932Name.size() > kNameWidth ||
        cp932Name.find_first_of(",\r\n") != std::string_view::npos) {
        return {};
    }
    // A control byte (a zero above all, which ends a block's text) never goes into a record.
    for (char c : cp932Name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
    }
    std::string text = CTextCodec::PadCp932(cp932Name, kNameWidth);
    text += ',';
    text += date;
    text += side == 0 ? "," : ",,";
    text += time;
    text += side == 0 ? ",\n" : "\n";
    if (text.size() > kRecordLength) return {};
    return text;
}

int WorkLine::Side() const {
    if (!start.empty()) return 0;
    if (!end.empty()) return 1;
    return -1;
}

}  // namespace stampwell
