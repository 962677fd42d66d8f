#pragma once
// Cuts a byte stream back into the controller texts the PC wrote. Over a serial device one
// text can arrive in pieces (and two texts can arrive together), while the simulated
// controller acts on whole texts. The grammar tells where a text ends: "IZ", "MI" and
// "MSX" stand alone; a frame "MSx…" ends with its "X", except the PLADC/PLINT polls, which
// end after the command's PEC byte and leave the frame open.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmx::sim {

// Value of one hex digit of a controller text (either case), or -1 when it is none.
int hexValue(char c);

class TextAssembler {
public:
    void add(std::string_view bytes);
    // The next complete text, if one is in.
    std::optional<std::string> next();
    // Whatever is left of an incomplete text (after a quiet spell), and forget it.
    std::string takePartial();
    bool hasPartial() const { return !buffer_.empty(); }

private:
    // Length of the complete text at the start of the buffer, 0 when it is not complete yet.
    std::size_t completeLength() const;

    std::string buffer_;
};

}  // namespace zmx::sim
