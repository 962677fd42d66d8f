#pragma once
// The program's command line: which controller link to use, diagnostics, and the
// simulated stack's settings.

#include <string>
#include <vector>

namespace zmx {

struct CommandLine {
    std::string link;          // a link text (link/LinkText.h); empty = find one
    std::string tracePath;     // --trace FILE
    std::string dumpPath;      // --dump-window FILE
    std::string recordTarget;  // --record FILE|URL: SQLite file or postgresql:// URL
    bool stackView = false;    // --stack-view: open the stack view at start-up
    bool help = false;
    bool version = false;
    bool listLinks = false;
    bool reconnect = false;  // wait for a lost controller instead of ending
    int simBoards = 10;
    std::string simId;  // empty = the simulator's own identification text
    std::string error;  // set when the arguments cannot be used
};

CommandLine parseCommandLine(const std::vector<std::string>& args);
// Why --trace or --dump-window cannot be written: it is the --record file (or a file of
// its journal); empty when both may be written.
std::string outputsOverlapRecording(const CommandLine& cl);
std::string usageText();

}  // namespace zmx
