#include "cli/CommandLine.h"

#include <charconv>

#include "link/LinkText.h"
#include "record/OutputFile.h"

namespace zmx {

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    auto needValue = [&](std::size_t& i, const std::string& opt) -> const std::string* {
        if (i + 1 >= args.size()) {
            cl.error = opt + " needs a value";
            return nullptr;
        }
        return &args[++i];
    };
    for (std::size_t i = 0; i < args.size() && cl.error.empty(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") cl.help = true;
        else if (a == "--version") cl.version = true;
        else if (a == "--simulate") cl.link = "sim";
        else if (a == "--list-links") cl.listLinks = true;
        else if (a == "--stack-view") cl.stackView = true;
        else if (a == "--record") {
            if (auto v = needValue(i, a)) {
                cl.recordTarget = *v;
                if (v->empty()) cl.error = "--record needs a file or a postgresql:// URL";
            }
        } else if (a == "--reconnect") {
            cl.reconnect = true;
        } else if (a == "--link") {
            if (auto v = needValue(i, a)) cl.link = *v;
        } else if (a == "--trace") {
            if (auto v = needValue(i, a)) cl.tracePath = *v;
        } else if (a == "--dump-window") {
            if (auto v = needValue(i, a)) cl.dumpPath = *v;
        } else if (a == "--sim-id") {
            if (auto v = needValue(i, a)) cl.simId = *v;
        } else if (a == "--sim-boards") {
            if (auto v = needValue(i, a)) {
                int n = 0;
                auto [p, ec] = std::from_chars(v->data(), v->data() + v->size(), n);
                if (ec != std::errc() || p != v->data() + v->size() || n < 0 || n > 16)
                    cl.error = "--sim-boards takes a number from 0 to 16";
                else cl.simBoards = n;
            }
        } else {
            cl.error = "unknown option " + a;
        }
    }
    if (cl.error.empty() && !cl.link.empty()) {
        const ParsedLink parsed = parseLinkText(cl.link);
        if (!parsed.error.empty()) cl.error = parsed.error;
    }
    return cl;
}

std::string outputsOverlapRecording(const CommandLine& cl) {
    const std::string trace = outputIsRecording(cl.tracePath, cl.recordTarget);
    if (!trace.empty()) return "--trace " + trace;
    const std::string dump = outputIsRecording(cl.dumpPath, cl.recordTarget);
    return dump.empty() ? dump : "--dump-window " + dump;
}

std::string usageText() {
    constexpr std::size_t kHelpColumn = 25, kHelpWidth = 100;
    return "Usage: zmx7730-gui [options]\n"
           "Evaluation and monitoring of a ZMX7730 battery-stack monitor chain through an LK200\n"
           "USB-to-SPI controller.\n\n"
           "Options:\n"
           "  --simulate             use the built-in simulated controller and chip stack\n"
           "  --link LINK            " +
           linkTextFormsColumn(kHelpColumn, kHelpWidth) +
           "\n"
           "                         (default: find a controller; rate 9600 8N1)\n"
           "  --list-links           list the controller links and FTDI devices found, then exit\n"
           "  --reconnect            when the controller stops answering, wait for the same one to\n"
           "                         come back instead of ending\n"
           "  --trace FILE           write one line per transfer: time, operation, request, reply\n"
           "  --dump-window FILE     write a JSON snapshot of the window on SIGUSR1 and at exit\n"
           "  --stack-view           open the stack view (trend, heatmap, link health) at start-up\n"
           "  --record FILE|URL      record every read to an SQLite file or a postgresql:// URL\n"
           "  --sim-boards N         boards present in the simulated stack (default 10)\n"
           "  --sim-id TEXT          identification text of the simulated controller\n"
           "  --version              print the version, then exit\n"
           "  --help                 print this help, then exit\n";
}

}  // namespace zmx
