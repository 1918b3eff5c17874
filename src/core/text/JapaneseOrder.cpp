#include "text/JapaneseOrder.h"

#include <algorithm>
#include <utility>

#include "text/TextCodec.h"

namespace stampwell {

namespace {
// (has no CP932 form, bytes): names without one after every other.
std::pair<bool, std::string> Key(const std::string& name) {
    auto cp932 = CTextCodec::ToCp932(name);
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
