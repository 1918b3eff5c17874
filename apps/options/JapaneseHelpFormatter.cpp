#include "JapaneseHelpFormatter.h"

namespace stampwell::cli {

std::size_t CJapaneseHelpFormatter::DisplayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        // Latin, Greek and Cyrillic letters and half-width katakana take one column; CJK,
        // kana and full-width forms two.
        width += (code < 0x1100 || (code >= 0xFF61 && code <= 0xFF9F)) ? 1 : 2;
        i += length;
    }
    return width;
}

std::vector<std::string> CJapaneseHelpFormatter::Wrap(const std::string& text, std::size_t width) {
    // A line never starts with a closing mark: one that does not fit takes the piece before it
    // along to the next line. An ASCII word is never cut.
    static const std::string kNoLineStart[] = {"、", "。", "）", "」", "・", "，", "：", ")", ","};
    std::vector<std::string> lines(1);
    std::size_t used = 0;
    std::size_t lastStart = 0;  // where the last piece of the current line starts
    for (std::size_t i = 0; i < text.size();) {
        std::size_t next = i + 1;
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80)
                ++next;
        } else if (text[i] != ' ') {
            while (next < text.size() && text[next] != ' ' &&
                   static_cast<unsigned char>(text[next]) < 0x80)
                ++next;
        }
        const std::string piece = text.substr(i, next - i);
        i = next;
        if (used == 0 && piece == " ") continue;
        const std::size_t cost = DisplayWidth(piece);
        if (used > 0 && used + cost > width && piece != " ") {
            bool closing = false;
            for (const auto& mark : kNoLineStart) closing = closing || piece == mark;
            if (closing && lastStart == 0) {
                // The line is one piece (a long path): the mark hangs past the edge.
                lines.back() += piece;
                used += cost;
                continue;
            }
            std::string carried;
            if (closing) {
                carried = lines.back().substr(lastStart);
                lines.back().erase(lastStart);
            }
            lines.push_back(carried);
            used = DisplayWidth(carried);
        }
        lastStart = lines.back().size();
        lines.back() += piece;
        used += cost;
    }
    for (auto& line : lines) {
        while (!line.empty() && line.back() == ' ') line.pop_back();
    }
    return lines;
}

std::string CJapaneseHelpFormatter::Line(const std::string& name,
                                         const std::string& description) const {
    const std::size_t column = get_column_width();
    std::string out = "  " + name;
    const std::size_t used = DisplayWidth(out);
    if (description.empty()) return out + "\n";
    out += used >= column ? "\n" + std::string(column, ' ') : std::string(column - used, ' ');
    const std::size_t width = kTerminalWidth > column + 20 ? kTerminalWidth - column : 20;
    bool first = true;
    std::size_t start = 0;
    while (start <= description.size()) {
        std::size_t end = description.find('\n', start);
        if (end == std::string::npos) end = description.size();
        for (const auto& line : Wrap(description.substr(start, end - start), width)) {
            if (!first) out += "\n" + std::string(column, ' ');
            out += line;
            first = false;
        }
        start = end + 1;
    }
    return out + "\n";
}

std::string CJapaneseHelpFormatter::make_option(const CLI::Option* opt, bool isPositional) const {
    return Line(make_option_name(opt, isPositional) + make_option_opts(opt), make_option_desc(opt));
}

std::string CJapaneseHelpFormatter::make_subcommand(const CLI::App* sub) const {
    return Line(sub->get_display_name(), sub->get_description());
}

}  // namespace stampwell::cli
