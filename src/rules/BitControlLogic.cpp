#include "rules/BitControlLogic.h"

#include "protocol/Hex.h"

namespace zmx {

int stepCdc(int cdc, int delta) { return ((cdc + delta) % 8 + 8) % 8; }

std::string withTenCellBit(const std::string& cfgr0, bool tenCells) {
    const uint8_t value = textToByte(cfgr0);
    return byteText(static_cast<uint8_t>(tenCells ? (value | 0x08) : (value & ~0x08)));
}

}  // namespace zmx
