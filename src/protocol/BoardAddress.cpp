#include "protocol/BoardAddress.h"

#include <string_view>

namespace zmx {

namespace {
constexpr std::string_view kAddressDigits = "0123456789ABCDEF";
}

int addressDigitIndex(const std::string& addressHex) {
    if (addressHex.size() != 2) return -1;
    const auto pos = kAddressDigits.find(addressHex[1]);
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

std::string addressOfDigitIndex(int digitIndex) {
    return std::string("8") + kAddressDigits[static_cast<std::size_t>(digitIndex & 0x0F)];
}

}  // namespace zmx
