#include "text/JapaneseOrder.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <utility>

#include "text/TextCodec.h"

namespace stampwell {

void CJapaneseOrder::CloseCollator::operator()(UCollator* collator) const {
    ucol_close(collator);
}

CJapaneseOrder::CJapaneseOrder() {
    UErrorCode status = U_ZERO_ERROR;
    m_collator.reset(ucol_open("ja", &status));
    if (U_FAILURE(status)) {
        m_collator.reset();
        return;
    }
    // The fourth level puts hiragana before katakana of one reading (あべ, アベ, ｱﾍﾞ).
    ucol_setStrength(m_collator.get(), UCOL_QUATERNARY);
}

CJapaneseOrder::~CJapaneseOrder() = default;

std::string CJapaneseOrder::SortKey(const std::string& name) const {
    auto cp932 = CTextCodec::ToCp932(name);
    // First byte: stored names (with a CP932 form) before any other text.
    std::string key(1, cp932 ? '\x01' : '\x02');
    std::string collated;
    if (m_collator && cp932) {
        UErrorCode status = U_ZERO_ERROR;
        std::u16string wide(name.size() + 1, u'\0');
        int32_t length = 0;
        u_strFromUTF8(reinterpret_cast<UChar*>(wide.data()), static_cast<int32_t>(wide.size()),
                      &length, name.data(), static_cast<int32_t>(name.size()), &status);
        if (U_SUCCESS(status)) {
            const auto* text = reinterpret_cast<const UChar*>(wide.data());
            int32_t size = ucol_getSortKey(m_collator.get(), text, length, nullptr, 0);
            collated.resize(static_cast<std::size_t>(size));
            ucol_getSortKey(m_collator.get(), text, length,
                            reinterpret_cast<uint8_t*>(collated.data()), size);
            // The key ends with a zero byte; dropped so that the tie-break below follows it.
            if (!collated.empty() && collated.back() == '\0') collated.pop_back();
        }
    }
    // Without ICU's data the CP932 codes give JIS order, which is close; the bytes of the
    // name itself break ties so that the order never depends on the input order.
    key += collated.empty() && cp932 ? *cp932 : collated;
    key += '\0';
    key += name;
    return key;
}

bool CJapaneseOrder::Less(const std::string& a, const std::string& b) {
    CJapaneseOrder order;
    return order.SortKey(a) < order.SortKey(b);
}

void CJapaneseOrder::Sort(std::vector<std::string>& names) {
    CJapaneseOrder order;
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (auto& name : names) keyed.emplace_back(order.SortKey(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    names.clear();
    for (auto& [key, name] : keyed) names.push_back(std::move(name));
}

}  // namespace stampwell
