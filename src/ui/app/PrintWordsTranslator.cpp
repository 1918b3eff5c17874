#include "app/PrintWordsTranslator.h"

#include <cstring>

namespace stampwell {

namespace {
struct Word {
    const char* english;
    const char* japanese;
};
constexpr Word kWords[] = {
    {"Print range", "印刷範囲"},
    {"Print all", "すべて"},
    {"Pages from", "ページ指定"},
    {"Current Page", "現在のページ"},
    {"Selection", "選択した部分"},
    {"Page Set:", "印刷するページ:"},
    {"All Pages", "すべてのページ"},
    {"Odd Pages", "奇数ページ"},
    {"Even Pages", "偶数ページ"},
    {"Output Settings", "出力設定"},
    {"Copies:", "部数:"},
    {"Copies", "部数"},
    {"Collate", "部単位で印刷"},
    {"Reverse", "逆順に印刷"},
    {"Options", "オプション"},
    {"Color Mode", "カラーモード"},
    {"Color", "カラー"},
    {"Grayscale", "グレースケール"},
    {"Double Sided Printing", "両面印刷"},
    {"Long side binding", "長辺綴じ"},
    {"Short side binding", "短辺綴じ"},
    {"Pages", "ページ"},
    {"Pages per sheet:", "1枚あたりのページ数:"},
    {"Page order:", "ページの順序:"},
    {"Job", "ジョブ"},
    {"Job Control", "ジョブの管理"},
    {"Scheduled printing:", "印刷の予定:"},
    {"Print Immediately", "すぐに印刷"},
    {"Billing information:", "課金情報:"},
    {"Job priority:", "ジョブの優先度:"},
    {"Banner Pages", "バナーページ"},
    {"Start:", "始め:"},
    {"End:", "終わり:"},
    {"None", "なし"},
};
// The print dialog's parts: a word of another screen is never taken for one of these.
constexpr const char* kContexts[] = {
    "QPrintSettingsOutput", "QPrintDialog",     "QPrintWidget",     "QPrintPropertiesWidget",
    "QCupsJobWidget",       "QPageSetupWidget", "QUnixPrintWidget", "QPrintPropertiesDialog"};
}  // namespace

QString CPrintWordsTranslator::translate(const char* context, const char* sourceText, const char*,
                                         int) const {
    if (context == nullptr || sourceText == nullptr) return {};
    bool ours = false;
    for (const char* known : kContexts) ours = ours || std::strcmp(context, known) == 0;
    if (!ours) return {};
    for (const auto& word : kWords) {
        if (std::strcmp(sourceText, word.english) == 0) return QString::fromUtf8(word.japanese);
    }
    return {};
}

}  // namespace stampwell
