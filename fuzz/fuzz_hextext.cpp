// Text to byte and the reply character helpers on any text.

#include <cstdint>
#include <string_view>

#include "protocol/Hex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    volatile uint32_t sink = zmx::hexTextValue(text) + zmx::textToByte(text);
    for (std::size_t pos = 0; pos <= size + 2; ++pos) {
        sink = sink + zmx::replyByteAt(text, pos);
        sink = sink + zmx::replyCharAt(text, pos).size();
    }
    (void)sink;
    return 0;
}
