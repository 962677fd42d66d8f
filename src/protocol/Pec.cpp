#include "protocol/Pec.h"

#include "protocol/Hex.h"

namespace zmx {

std::string PecOfHexByte(std::string_view byteHex) { return byteText(pecOfByte(textToByte(byteHex))); }

}  // namespace zmx
