#pragma once

namespace stampwell {

// The screens name Windows' Japanese fonts; map them to the installed IPA fonts so that no text
// falls back to a font without kanji.
class CJapaneseFonts {
public:
    static void Install();
};

}  // namespace stampwell
