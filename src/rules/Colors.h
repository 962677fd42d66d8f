#pragma once
// The colours of the window, by role, and the one table of cell status codes.

#include <array>
#include <cstdint>
#include <string_view>

namespace zmx {

struct Rgb {
    uint8_t r, g, b;
    constexpr bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kOrange{255, 128, 0};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kLightBlue{128, 128, 255};
inline constexpr Rgb kLightGrey{224, 224, 224};
inline constexpr Rgb kGrey{128, 128, 128};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kOlive{128, 128, 0};
inline constexpr Rgb kLightYellow{255, 255, 192};
inline constexpr Rgb kLightGreenBanner{192, 255, 192};
inline constexpr Rgb kLightRedBanner{255, 192, 192};
inline constexpr Rgb kDarkGreen{0, 128, 0};
inline constexpr Rgb kMaroon{128, 0, 0};

// Board status lamp by readStatus: 0 no data, 1 PEC match, 2 mismatch, 3 thermal shutdown.
constexpr Rgb readStatusColor(int readStatus) {
    switch (readStatus) {
        case 1: return kGreen;
        case 2: return kRed;
        case 3: return kOrange;
        default: return kWhite;
    }
}

// One row per cell status code 0..7: lamp and bar colour, bar geometry inside the cell
// frame (twips), and the legend entry.
struct CellStatusStyle {
    Rgb color;
    int barTop;
    int barHeight;
    std::string_view legendSwatch;
    std::string_view legendMeaning;
};

inline constexpr std::array<CellStatusStyle, 8> kCellStatusStyles{{
    {kWhite, 600, 255, " CLEAR", "No Voltage Reading"},
    {kGreen, 600, 255, " GOOD", "Voltage In Range"},
    {kLightBlue, 720, 135, " DISCHARGE", "DisCharge Cell"},
    {kYellow, 720, 135, " CAUTION!", "Flag  Under Voltage "},
    {kRed, 480, 375, " DANGER!", "Flag Over Voltage "},
    {kLightGrey, 360, 495, " MASKED", "Mask Cell Interrupt"},
    {kGrey, 720, 135, " MASKDCC", "Mask Cell Int w/ DCC"},
    {kOrange, 360, 495, " THERMAL SD!", "Thermal Shutdown!"},
}};

constexpr const CellStatusStyle& cellStatusStyle(int code) {
    return kCellStatusStyles[static_cast<std::size_t>(code >= 0 && code < 8 ? code : 0)];
}

}  // namespace zmx
