// Threshold text reading on any text: the key filter, the number reading, the checks and
// the code conversion never crash, and a stored code always fits its register byte.

#include <cstdint>
#include <string_view>

#include "rules/Thresholds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = size > 0 ? data[0] % (size + 1) : 0;
    const std::string_view vuv = text.substr(0, cut), vov = text.substr(cut);
    for (zmx::Threshold which : {zmx::Threshold::Vuv, zmx::Threshold::Vov}) {
        if (auto code = zmx::codeFromText(which, text); code && (*code < 0 || *code > 255)) __builtin_trap();
        (void)zmx::inEntryRange(which, zmx::readLeadingNumber(text));
        (void)zmx::thresholdText(which, size % 256);
    }
    (void)zmx::checkEntry(vuv, vov);
    for (std::size_t i = 0; i < size && i < 64; ++i)
        (void)zmx::FilterNumericKey(vuv, static_cast<int>(i % (vuv.size() + 1)), data[i]);
    return 0;
}
