#pragma once
// The controller texts that carry chip commands: one builder per frame form.
// "MS" + "x" opens a frame, "S"hh sends a byte, "T"hh sends a byte and echoes it (two
// reply characters), "R" reads a byte (two reply characters), "X" closes the frame.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace zmx {

inline constexpr std::string_view kIdentifyText = "IZ";
inline constexpr std::string_view kCloseFrameText = "MSX";
inline constexpr std::string_view kLowCurrentText = "MI";

// Start conversion: broadcast "MSxS" cc "S" P(cc) "X"; addressed adds "S" aa "S" P(aa) first.
std::string buildStartFrame(std::string_view addrHex, std::string_view cmdHex, bool broadcast);

// Poll: as a start frame but without the closing "X", so the frame stays open.
std::string buildPollFrame(std::string_view addrHex, std::string_view cmdHex, bool broadcast);

// WRCFG: "MSxT01SC7" (broadcast) or "MSxT" aa "S" P(aa) "S01SC7" (addressed), then the six
// bytes as "S" items, "S" + their PEC, "X".
std::string buildWrcfgFrame(std::string_view addrHex, const std::array<std::string, 6>& cfg, bool broadcast);

// Read of n data bytes, always addressed: four "T" items, n + 1 "R" items, "X".
std::string buildReadFrame(std::string_view addrHex, std::string_view cmdHex, int dataBytes);

// Reply characters a frame text produces: two per "T" item and two per "R" item.
std::size_t replyLength(std::string_view frameText);

// Reply characters the "T" items alone produce (what a write-only frame leaves behind).
std::size_t echoLength(std::string_view frameText);

}  // namespace zmx
