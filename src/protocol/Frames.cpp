#include "protocol/Frames.h"

#include "protocol/ChipCommands.h"
#include "protocol/Hex.h"
#include "protocol/Pec.h"

namespace zmx {

namespace {

std::string addressedHead(std::string_view item, std::string_view addrHex) {
    std::string s = "MSx";
    s += item;
    s += addrHex;
    s += item;
    s += PecOfHexByte(addrHex);
    return s;
}

std::string commandFrame(std::string_view addrHex, std::string_view cmdHex, bool broadcast) {
    std::string s = broadcast ? std::string("MSx") : addressedHead("S", addrHex);
    s += 'S';
    s += cmdHex;
    s += 'S';
    s += PecOfHexByte(cmdHex);
    return s;
}

struct ItemCounts {
    std::size_t t = 0;
    std::size_t r = 0;
};

ItemCounts countItems(std::string_view text) {
    ItemCounts n;
    // Only frame texts ("MS" + items) carry bus items; "IZ" and "MI" are controller commands.
    if (text.size() < 2 || text.substr(0, 2) != "MS") return n;
    for (std::size_t i = 2; i < text.size(); ++i) {
        const char c = text[i];
        if (c == 'S' || c == 'T') {
            if (c == 'T') ++n.t;
            i += 2;  // the two hex digits of the byte
        } else if (c == 'R') {
            ++n.r;
        }
    }
    return n;
}

}  // namespace

std::string buildStartFrame(std::string_view addrHex, std::string_view cmdHex, bool broadcast) {
    return commandFrame(addrHex, cmdHex, broadcast) + "X";
}

std::string buildPollFrame(std::string_view addrHex, std::string_view cmdHex, bool broadcast) {
    return commandFrame(addrHex, cmdHex, broadcast);
}

std::string buildWrcfgFrame(std::string_view addrHex, const std::array<std::string, 6>& cfg, bool broadcast) {
    // The first byte goes out as a "T" item (the address, or the command when broadcast).
    const ChipCommand& wrcfg = chipCommand(ChipCommandId::WRCFG);
    const std::string command = commandCodeText(wrcfg) + "S" + commandPecText(wrcfg);
    std::string s =
        broadcast ? "MSxT" + command : "MSxT" + std::string(addrHex) + "S" + PecOfHexByte(addrHex) + "S" + command;
    std::array<uint8_t, 6> bytes{};
    for (std::size_t k = 0; k < 6; ++k) {
        bytes[k] = textToByte(cfg[k]);
        s += 'S';
        s += byteText(bytes[k]);
    }
    s += 'S';
    s += byteText(pecOf(bytes));
    s += 'X';
    return s;
}

std::string buildReadFrame(std::string_view addrHex, std::string_view cmdHex, int dataBytes) {
    std::string s = addressedHead("T", addrHex);
    s += 'T';
    s += cmdHex;
    s += 'T';
    s += PecOfHexByte(cmdHex);
    s.append(static_cast<std::size_t>(dataBytes + 1), 'R');
    s += 'X';
    return s;
}

std::size_t replyLength(std::string_view frameText) {
    const ItemCounts n = countItems(frameText);
    return 2 * (n.t + n.r);
}

std::size_t echoLength(std::string_view frameText) { return 2 * countItems(frameText).t; }

}  // namespace zmx
