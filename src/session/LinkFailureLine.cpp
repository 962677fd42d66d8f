#include "session/LinkFailureLine.h"

#include "link/ControllerLink.h"
#include "protocol/Identification.h"
#include "session/StackSession.h"

namespace zmx {

namespace {

constexpr std::string_view kSimulateCommand = "zmx7730-gui --simulate";

// A reply is shown as text: a byte that is not printable ASCII (a wrong line rate, noise)
// becomes '?', so the line stays one line on any terminal.
std::string printable(std::string_view reply) {
    std::string out;
    for (unsigned char c : reply) out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

// A cause keeps its text (a path may hold any UTF-8); only line breaks and other control
// characters become blanks.
std::string oneLine(std::string_view cause) {
    std::string out(cause);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return out;
}

}  // namespace

std::string linkFailureLine(LinkFailure what, std::string_view linkName, std::string_view identReply,
                            std::string_view linkCause) {
    std::string line =
        what == LinkFailure::NoController ? "no supported controller answered" : "the controller stopped answering";
    line += " on link " + std::string(linkName) + ": identification returned \"" + printable(identReply) +
            "\" (expected a text starting with " + std::string(kIdText2) + " or " + std::string(kIdText4) + ")";
    if (!linkCause.empty()) line += " [" + oneLine(linkCause) + "]";
    return line + "; --simulate runs without hardware";
}

std::string linkFailureLine(LinkFailure what, StackSession& session) {
    const LinkBackend& backend = session.link().backend();
    return linkFailureLine(what, backend.name(), session.lastIdentReply(), backend.lastError());
}

std::string linkFailureBoxText(std::string_view line, bool hasTerminal) {
    if (hasTerminal) return {};
    return std::string(line) + "\n\nTo try the program without hardware, run the simulated stack:\n" +
           std::string(kSimulateCommand);
}

}  // namespace zmx
