#pragma once
// Configuration files of the command line (write-config, record --config): JSON naming,
// per board, either the six register bytes or the named fields of the configuration
// editor, turned into the images the stack is written with.
//
//   {"boards": {"all": {"cdc": 1, "vuv": 3.0, "vov": 4.2},
//               "2":   {"cfgr": "E1 00 00 00 00 00"}}}
//
// Boards are numbered 1..10 as in the window; "all" is every board of the stack. A board's
// own entry wins over "all": its "cfgr" replaces everything "all" gives, its named fields
// replace those fields only. Named fields start from the power-on image E0 00 00 00 00 00.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmx {

using ConfigBytes = std::array<uint8_t, 6>;

// The named fields of a configuration, decoded from or encoded into the six bytes.
struct ConfigFields {
    int cdc = 0;                       // CFGR0 bits 2..0
    bool tenCells = false;             // CFGR0 bit 3
    bool levelPoll = false;            // CFGR0 bit 4 (LVLPL)
    std::array<bool, 2> gpio{};        // CFGR0 bits 5, 6: GPIO1, GPIO2 (1 = Hi-Z)
    bool wdt = false;                  // CFGR0 bit 7
    std::array<bool, 12> discharge{};  // cells 1..12
    std::array<bool, 12> mask{};       // cells 1..12
    int vuvCode = 0;                   // CFGR4
    int vovCode = 0;                   // CFGR5
};

ConfigFields decodeConfig(const ConfigBytes& bytes);
ConfigBytes encodeConfig(const ConfigFields& fields);

// "E1 00 00 00 00 00"
std::string configBytesText(const ConfigBytes& bytes);

struct ConfigFile {
    // Index = board slot (0 = board 1), one per board of the stack; empty where the file
    // gives nothing for that board (it is then not written).
    std::vector<std::optional<ConfigBytes>> images;
    // Why the file cannot be used, naming the line and the field; empty when it can.
    std::string error;
};

// Reads a configuration file's text for a stack of `boards` boards (1..10). sourceName
// names the file in errors.
ConfigFile parseConfigFile(std::string_view text, int boards, std::string_view sourceName);

// Reads the file at path; a file that cannot be read is an error naming the path.
ConfigFile loadConfigFile(const std::string& path, int boards);

}  // namespace zmx
