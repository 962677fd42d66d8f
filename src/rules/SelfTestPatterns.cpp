#include "rules/SelfTestPatterns.h"

#include "protocol/ChipCommands.h"
#include "protocol/Hex.h"

namespace zmx {

namespace {

struct Pattern {
    std::string_view digit;
    std::string_view cellText;
    std::string_view tempText;
    std::string_view tipWords;
};

constexpr std::array<Pattern, kPatternOptions> kPatterns{{
    {"E", "0x555 ", " 0x555 ", "SELF TEST1"},
    {"F", "0xAAA ", " 0xAAA ", "SELF TEST2"},
    {"D", "0xFFF ", " 0xFFF ", "CLEAR (FF)"},
}};

// The command each start button sends, in tool-tip order.
constexpr std::array<ChipCommandId, 5> kStartCommands{
    ChipCommandId::STCVAD, ChipCommandId::STOWAD, ChipCommandId::STTMPAD, ChipCommandId::STCVDC, ChipCommandId::STOWDC};

const Pattern* patternOfDigit(std::string_view digit) {
    for (const Pattern& p : kPatterns)
        if (p.digit == digit) return &p;
    return nullptr;
}

}  // namespace

std::string_view selfTestDigitForOption(int option) {
    return option >= 0 && option < kPatternOptions ? kPatterns[option].digit : kPatterns[0].digit;
}

std::optional<std::string_view> expectedCellText(std::string_view digit) {
    if (const Pattern* p = patternOfDigit(digit)) return p->cellText;
    return std::nullopt;
}

std::optional<std::string_view> expectedTempText(std::string_view digit) {
    if (const Pattern* p = patternOfDigit(digit)) return p->tempText;
    return std::nullopt;
}

std::array<std::string, 5> selfTestToolTips(int option) {
    const Pattern& p = kPatterns[option >= 0 && option < kPatternOptions ? option : 0];
    std::array<std::string, 5> tips;
    for (std::size_t b = 0; b < kStartCommands.size(); ++b) {
        const ChipCommand& c = chipCommand(kStartCommands[b]);
        tips[b] = "0x" + std::string(1, hexDigit(c.code >> 4)) + std::string(p.digit) + " " + std::string(c.name) +
                  " " + std::string(p.tipWords) + " ALL";
    }
    return tips;
}

}  // namespace zmx
