#pragma once

#include <QTranslator>

namespace stampwell {

// The print dialog's words that Qt's own Japanese catalogue (qtbase_ja.qm as Debian ships it)
// lacks: the options of copies, colour and double-sided printing. Installed before that
// catalogue, so it only answers what the catalogue leaves in English.
class CPrintWordsTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override;
    bool isEmpty() const override { return false; }
};

}  // namespace stampwell
