#include "rules/Thresholds.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace zmx {

namespace {

constexpr float kStep = 0.024f;  // volts per threshold code
constexpr float kVuvOffset = 31.0f;
constexpr float kVovOffset = 32.0f;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

int FilterNumericKey(std::string_view text, int caret, int key) {
    const std::string_view trimmed = trimSpaces(text);
    if (key == kKeyBackspace || key == kKeyEnter) return key;
    if (key == '.') return trimmed.find('.') != std::string_view::npos ? 0 : key;
    if (key == '-') return (trimmed.find('-') != std::string_view::npos || caret != 0) ? 0 : key;
    return (key >= 0 && key <= 0x7F && isDigit(static_cast<char>(key))) ? key : 0;
}

float readLeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string lexeme;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') lexeme += '-';
        ++i;
    }
    // Mantissa: digits with at most one decimal point. The decimal exponent of its leading
    // significant digit is tracked so an out-of-range result can be told apart as
    // overflow or underflow.
    bool anyDigit = false, seenPoint = false, seenNonZero = false;
    long long magnitude = 0;  // decimal exponent of the leading significant digit, plus one
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            anyDigit = true;
            if (c != '0') seenNonZero = true;
            if (!seenPoint && seenNonZero) ++magnitude;
            if (seenPoint && !seenNonZero) --magnitude;
            lexeme += c;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            lexeme += c;
        } else {
            break;
        }
    }
    if (!anyDigit || !seenNonZero) return 0.0f;

    // Exponent, only when it has at least one digit ("1e" reads as 1).
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) negative = text[j++] == '-';
        if (j < text.size() && isDigit(text[j])) {
            long long exponent = 0;
            for (; j < text.size() && isDigit(text[j]); ++j)
                exponent = std::min<long long>(exponent * 10 + (text[j] - '0'), 100000000LL);
            lexeme += negative ? "e-" : "e";
            lexeme += std::to_string(exponent);
            magnitude += negative ? -exponent : exponent;
        }
    }

    double value = 0.0;
    const auto [end, ec] = std::from_chars(lexeme.data(), lexeme.data() + lexeme.size(), value);
    (void)end;
    const bool negative = !lexeme.empty() && lexeme.front() == '-';
    constexpr float kInf = std::numeric_limits<float>::infinity();
    if (ec == std::errc::result_out_of_range) {
        if (magnitude <= 0) return negative ? -0.0f : 0.0f;  // underflow: as good as zero
        return negative ? -kInf : kInf;
    }
    if (ec != std::errc()) return 0.0f;
    if (std::fabs(value) > std::numeric_limits<float>::max()) return negative ? -kInf : kInf;
    return static_cast<float>(value);
}

float unroundedCode(Threshold which, float volts) {
    const float offset = which == Threshold::Vuv ? kVuvOffset : kVovOffset;
    const float steps = volts / kStep;
    return steps + offset;
}

std::optional<int16_t> roundedCode(float unrounded) {
    if (!std::isfinite(unrounded)) return std::nullopt;
    // nearbyint under the default rounding mode: nearest, ties to even.
    const float r = std::nearbyint(unrounded);
    if (r < 0.0f || r > 255.0f) return std::nullopt;
    return static_cast<int16_t>(r);
}

std::optional<int16_t> codeFromText(Threshold which, std::string_view text) {
    return roundedCode(unroundedCode(which, readLeadingNumber(text)));
}

float codeVolts(Threshold which, int code) {
    const float c = static_cast<float>(code);
    if (which == Threshold::Vuv) {
        const float scaled = (c + 1.0f) * kStep;
        return scaled - 0.768f;
    }
    return (c - kVovOffset) * kStep;
}

std::string thresholdText(Threshold which, int code) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, codeVolts(which, code), std::chars_format::fixed, 3);
    std::string text(buf, res.ptr);
    if (text == "-0.000") text = "0.000";  // a rounding residue below zero is still zero volts
    return text + "V ";
}

bool inEntryRange(Threshold which, float volts) {
    if (which == Threshold::Vuv) return volts >= -0.744f && volts <= 5.376f;
    return volts >= -0.768f && volts <= 5.352f;
}

EntryCheck checkEntry(std::string_view vuvText, std::string_view vovText) {
    EntryCheck result;
    const float vuv = readLeadingNumber(vuvText);
    const float vov = readLeadingNumber(vovText);
    if (!inEntryRange(Threshold::Vuv, vuv)) {
        result.verdict = EntryVerdict::VuvOutOfRange;
        return result;
    }
    if (!inEntryRange(Threshold::Vov, vov)) {
        result.verdict = EntryVerdict::VovOutOfRange;
        return result;
    }
    // Ordered by the unrounded codes, so equal volts pass (VOV's offset is one code higher).
    const float vuvUnrounded = unroundedCode(Threshold::Vuv, vuv);
    const float vovUnrounded = unroundedCode(Threshold::Vov, vov);
    if (vuvUnrounded >= vovUnrounded) {
        result.verdict = EntryVerdict::NotOrdered;
        return result;
    }
    // Inside the ranges the rounded codes are 0..255; the fallbacks only guard the limits.
    result.vuvCode = roundedCode(vuvUnrounded).value_or(vuvUnrounded < 0 ? 0 : 255);
    result.vovCode = roundedCode(vovUnrounded).value_or(vovUnrounded < 0 ? 0 : 255);
    return result;
}

const char* entryMessage(EntryVerdict verdict) {
    switch (verdict) {
        case EntryVerdict::VuvOutOfRange: return kVuvRangeMessage;
        case EntryVerdict::VovOutOfRange: return kVovRangeMessage;
        case EntryVerdict::NotOrdered: return kOrderMessage;
        case EntryVerdict::Accepted: break;
    }
    return nullptr;
}

int16_t stepCode(int code, int delta) { return static_cast<int16_t>(((code + delta) % 256 + 256) % 256); }

}  // namespace zmx
