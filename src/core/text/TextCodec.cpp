#include "text/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

namespace stampwell {
namespace {

struct IconvCloser {
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle OpenConverter(const char* to, const char* from) {
    iconv_t handle = iconv_open(to, from);
    if (handle == reinterpret_cast<iconv_t>(-1)) return IconvHandle{};
    return IconvHandle{handle};
}

// Converts the whole input; strict mode fails on the first unconvertible sequence, lenient mode
// replaces one input byte at a time with `replacement`.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view input,
                                   const char* replacement) {
    IconvHandle converter = OpenConverter(to, from);
    if (!converter) return std::nullopt;
    std::string output;
    output.reserve(input.size() * 2 + 4);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t result =
            iconv(static_cast<iconv_t>(converter.get()), &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<std::size_t>(out - buffer));
        if (result == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            if (replacement == nullptr) return std::nullopt;
            output += replacement;
            ++in;
            --inLeft;
        }
    }
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(static_cast<iconv_t>(converter.get()), nullptr, nullptr, &out, &outLeft);
    output.append(buffer, static_cast<std::size_t>(out - buffer));
    return output;
}

}  // namespace

bool CTextCodec::IsAscii(std::string_view text) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (word & 0x8080808080808080ULL) return false;
    }
    for (; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
    }
    return true;
}

std::optional<std::string> CTextCodec::ToCp932(std::string_view utf8) {
    // ASCII maps to itself in CP932; skipping iconv keeps record scans cheap.
    if (IsAscii(utf8)) return std::string(utf8);
    return Convert("CP932", "UTF-8", utf8, nullptr);
}

std::string CTextCodec::FromCp932(std::string_view cp932) {
    if (IsAscii(cp932)) return std::string(cp932);
    return Convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD").value_or(std::string{});
}

std::optional<std::size_t> CTextCodec::Cp932Length(std::string_view utf8) {
    if (IsAscii(utf8)) return utf8.size();
    auto converted = ToCp932(utf8);
    if (!converted) return std::nullopt;
    return converted->size();
}

bool CTextCodec::IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string_view CTextCodec::CutCp932(std::string_view cp932, std::size_t maxBytes) {
    if (cp932.size() <= maxBytes) return cp932;
    std::size_t pos = 0;
    while (pos < maxBytes) {
        std::size_t step = IsLeadByte(static_cast<unsigned char>(cp932[pos])) ? 2 : 1;
        if (pos + step > maxBytes) break;
        pos += step;
    }
    return cp932.substr(0, pos);
}

std::string CTextCodec::PadCp932(std::string_view cp932, std::size_t width) {
    std::string padded(cp932);
    if (padded.size() < width) padded.append(width - padded.size(), ' ');
    return padded;
}

std::vector<std::string> CTextCodec::NonEmptyLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace stampwell
