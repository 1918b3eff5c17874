#include "recording/WorkLine.h"

#include "text/TextCodec.h"

namespace stampwell {

namespace {
// "%[^<stops>]" into a buffer of limit + 1 bytes: consumed whole, kept up to limit.
std::string_view Field(std::string_view text, std::size_t& pos, std::string_view stops,
                       std::size_t limit) {
    std::size_t start = pos;
    while (pos < text.size() && stops.find(text[pos]) == std::string_view::npos) ++pos;
    return CTextCodec::CutCp932(text.substr(start, pos - start), limit);
}
}  // namespace

WorkLine WorkLine::Parse(std::string_view text) {
    WorkLine line;
    std::size_t pos = 0;
    line.name = Field(text, pos, ",\n", 63);
    if (line.name.empty() || pos >= text.size() || text[pos] != ',') return line;
    ++pos;
    line.date = Field(text, pos, ",\n", 31);
    if (line.date.empty() || pos >= text.size() || text[pos] != ',') return line;
    ++pos;
    line.start = Field(text, pos, ", \n", 31);
    if (line.start.empty() && pos < text.size() && text[pos] == ',') {
        ++pos;
        line.end = Field(text, pos, ",\n ", 31);
    }
    return line;
}

std::string WorkLine::Format(std::string_view cp932Name, std::string_view date,
                             std::string_view time, int side) {
    if (cp932Name.size() > kNameWidth ||
        cp932Name.find_first_of(",\r\n") != std::string_view::npos) {
        return {};
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

}  // namespace stampwell
