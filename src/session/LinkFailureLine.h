#pragma once
// The one line both programs print when the controller does not answer: the link that was
// tried, what the identification returned, and the link's own cause (a device that is not
// there, no access to it), which names the fix. The window prints it at start-up and when the
// controller goes away; the command line for every command that needed the controller.

#include <string>
#include <string_view>

namespace zmx {

class StackSession;

enum class LinkFailure {
    NoController,      // the identification found no supported controller
    StoppedAnswering,  // it had answered before and does no more
};

// Without the program's name; the caller puts "zmx7730-gui: " or "zmx7730-cli: " before it.
std::string linkFailureLine(LinkFailure what, std::string_view linkName, std::string_view identReply,
                            std::string_view linkCause);

// The same for the session's link as it is now: its name, its last error, the session's last
// identification reply.
std::string linkFailureLine(LinkFailure what, StackSession& session);

// The text of the message box the window shows with that line when nobody reads standard
// error (no terminal): the line itself and how to start on the simulated stack. Empty when a
// terminal is attached: there the line alone is enough and scripts see no box.
std::string linkFailureBoxText(std::string_view line, bool hasTerminal);

}  // namespace zmx
