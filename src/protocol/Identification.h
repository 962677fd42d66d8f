#pragma once
// Which controllers the program accepts: one wired to a ZMX7730-2 or a ZMX7730-4.

#include <string>
#include <string_view>

namespace zmx {

inline constexpr std::string_view kIdText2 = "ZMX7730-2";
inline constexpr std::string_view kIdText4 = "ZMX7730-4";

// The first nine characters of the reply, as Label_IDstring shows them.
std::string identificationCaption(std::string_view reply);

// -1 (true) when the first nine characters are exactly one of the accepted texts, else 0.
int identificationVerdict(std::string_view reply);

}  // namespace zmx
