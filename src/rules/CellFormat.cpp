#include "rules/CellFormat.h"

#include <cmath>
#include <cstdio>

#include "protocol/Hex.h"

namespace zmx {

namespace {

// Magnitude with four decimals, rounded; a value that rounds to zero carries no sign.
std::string fourDecimals(float volts, bool& negative) {
    char buf[32];
    const double v = static_cast<double>(volts);
    std::snprintf(buf, sizeof buf, "%.4f", std::fabs(v));
    negative = v < 0 && std::string_view(buf) != "0.0000";
    return buf;
}

}  // namespace

std::string cellVoltsText(float volts) {
    bool negative = false;
    const std::string digits = fourDecimals(volts, negative);
    return (negative ? "- " : " ") + digits + "V  ";
}

std::string cellHexText(std::string_view code) { return "0x" + std::string(code) + " "; }

std::string tempVoltsText(float volts) {
    bool negative = false;
    const std::string digits = fourDecimals(volts, negative);
    return (negative ? "-" : "") + digits + "V  ";
}

std::string tempHexText(std::string_view code) { return " 0x" + std::string(code) + " "; }

std::string flagBoxText(std::string_view flgr) { return "  " + std::string(flgr) + "   "; }

std::string cellSelectDigitFor(int cellIndex) { return std::string(1, hexDigit(cellIndex + 1)); }

std::string tempSelectDigitFor(int box) {
    // ETMP1 and ETMP2 convert with 1 and 2, ITMP with 3.
    return std::string(1, hexDigit(tempChannelOfBox(box) + 1));
}

}  // namespace zmx
