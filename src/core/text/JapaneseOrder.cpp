#include "text/JapaneseOrder.h"

#include <algorithm>
#include <string>
#include <utility>

#include "text/TextCodec.h"

namespace stampwell {

namespace {
// Half-width katakana (U+FF61..U+FF9F) as their full-width letters, so that ｱﾍﾞ sorts with アベ.
std::string WidenKatakana(const std::string& name) {
    static const char32_t kWide[] =
        U"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフ"
        U"ヘホマミムメモヤユヨラリルレロワン゛゜";
    std::u32string out;
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        // U+FF61..U+FF9F is EF BD A1..BF, EF BE 80..9F in UTF-8.
        if (c == 0xEF && i + 2 < name.size()) {
            const auto b1 = static_cast<unsigned char>(name[i + 1]);
            const auto b2 = static_cast<unsigned char>(name[i + 2]);
            char32_t code = ((c & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F);
            if (code >= 0xFF61 && code <= 0xFF9F) {
                char32_t wide = kWide[code - 0xFF61];
                // A sound mark joins the letter before it (カ + ゛ = ガ, ハ + ゜ = パ).
                if ((wide == U'゛' || wide == U'゜') && !out.empty()) {
                    char32_t& last = out.back();
                    const bool voiced = wide == U'゛';
                    static const std::u32string kVoiceable =
                        U"カキクケコサシスセソタチツテトハヒフヘホ";
                    static const std::u32string kHalfVoiceable = U"ハヒフヘホ";
                    const std::u32string& takes = voiced ? kVoiceable : kHalfVoiceable;
                    if (takes.find(last) != std::u32string::npos) {
                        last += voiced ? 1 : 2;
                        i += 3;
                        continue;
                    }
                    if (voiced && last == U'ウ') {
                        last = U'ヴ';
                        i += 3;
                        continue;
                    }
                }
                out.push_back(wide);
                i += 3;
                continue;
            }
        }
        // Everything else is kept as its UTF-8 bytes, one code unit per byte.
        out.push_back(static_cast<char32_t>(0x110000 + c));
        ++i;
    }
    std::string result;
    for (char32_t code : out) {
        if (code >= 0x110000) {
            result += static_cast<char>(code - 0x110000);
        } else {  // a three-byte UTF-8 letter
            result += static_cast<char>(0xE0 | (code >> 12));
            result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return result;
}

// (has no CP932 form, bytes): names without one after every other.
std::pair<bool, std::string> Key(const std::string& name) {
    auto cp932 = CTextCodec::ToCp932(WidenKatakana(name));
    if (!cp932) return {true, name};
    return {false, std::move(*cp932)};
}
}  // namespace

bool CJapaneseOrder::Less(const std::string& a, const std::string& b) {
    return Key(a) < Key(b);
}

void CJapaneseOrder::Sort(std::vector<std::string>& names) {
    std::vector<std::pair<std::pair<bool, std::string>, std::string>> keyed;
    keyed.reserve(names.size());
    for (auto& name : names) keyed.emplace_back(Key(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    names.clear();
    for (auto& [key, name] : keyed) names.push_back(std::move(name));
}

}  // namespace stampwell
