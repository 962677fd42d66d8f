#pragma once
// Under- and over-voltage thresholds: the key filter of the two entry boxes, the reading of
// a box text as volts, the volts/code conversions in single precision, the entry checks with
// their messages, stepping and the display text of a code.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zmx {

// Which threshold: VUV (CFGR4) or VOV (CFGR5). The value is the index of the entry box.
enum class Threshold { Vuv = 0, Vov = 1 };

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;

// The three messages of a refused entry.
inline constexpr const char* kVuvRangeMessage = "Only Enter Values Between -0.744V and 5.376V.";
inline constexpr const char* kVovRangeMessage = "Only Enter Values Between  -0.768V and 5.352V.";
inline constexpr const char* kOrderMessage = "VUV must be less than VOV";

// Key filter of a threshold box. text is the box text before the key, caret the caret position
// in it. Returns the key to let through, or 0 to discard it. Accepts backspace, Enter (the
// caller moves the focus), one "." per text, "-" only first and only once, and the digits.
int FilterNumericKey(std::string_view text, int caret, int key);

// The leading numeric part of a text as a number: optional leading blanks, sign, digits with at
// most one decimal point, optional exponent. Empty or non-numeric text reads as 0; a number too
// large for single precision reads as an infinity (and so fails any range check).
float readLeadingNumber(std::string_view text);

// Volts to code, unrounded, in single precision: VUV volts/0.024 + 31, VOV volts/0.024 + 32.
float unroundedCode(Threshold which, float volts);

// The unrounded code rounded to the nearest integer, ties to even; nullopt when the result is
// not a code 0..255 (a stored code must always fit its register byte).
std::optional<int16_t> roundedCode(float unrounded);

// A box text straight to a stored code, as re-applying the scope does: no range or ordering
// check, but nullopt when the text gives no code 0..255 (the stored code is then kept).
std::optional<int16_t> codeFromText(Threshold which, std::string_view text);

// Code to volts in single precision: VUV (code + 1) * 0.024 - 0.768, VOV (code - 32) * 0.024.
float codeVolts(Threshold which, int code);

// Display text of a code: the volts with three decimals followed by "V ", e.g. "3.000V ".
std::string thresholdText(Threshold which, int code);

// Whether volts lie inside the accepted entry range (limits compared in single precision).
bool inEntryRange(Threshold which, float volts);

// The checks made when a box is left, on both box texts.
enum class EntryVerdict { Accepted, VuvOutOfRange, VovOutOfRange, NotOrdered };
struct EntryCheck {
    EntryVerdict verdict = EntryVerdict::Accepted;
    int16_t vuvCode = 0;  // rounded codes, meaningful when accepted
    int16_t vovCode = 0;
};
EntryCheck checkEntry(std::string_view vuvText, std::string_view vovText);

// The message of a refused entry; nullptr when accepted.
const char* entryMessage(EntryVerdict verdict);

// One step of a code with wrap-around: below 0 gives 255, above 255 gives 0.
int16_t stepCode(int code, int delta);

}  // namespace zmx
