#include "cli/CliOptions.h"
#include "link/LinkText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

namespace zmx {

namespace {

const std::set<std::string> kDeviceCommands = {"identify",   "read-config", "write-config", "read-cells",
                                               "read-flags", "read-temps",  "selftest",     "record"};
const std::set<std::string> kStoreCommands = {"export", "replay", "list"};

// Which command takes which of its own options.
const std::map<std::string, std::set<std::string>> kCommandOptions = {
    {"identify", {}},
    {"read-config", {"--board", "--all"}},
    {"write-config", {}},
    {"read-cells", {"--board", "--all", "--config"}},
    {"read-flags", {"--board", "--all", "--config"}},
    {"read-temps", {"--board", "--all", "--config"}},
    {"selftest", {"--board", "--all", "--config"}},
    {"record", {"--to", "--duration", "--config", "--pace", "--label", "--batch-frames"}},
    {"export", {"--csv", "--xlsx", "--recording"}},
    {"replay", {"--follow", "--recording"}},
    {"list", {}},
};

bool toInt(const std::string& s, long lo, long hi, long* out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || errno || v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool toDouble(const std::string& s, double lo, double hi, double* out) {
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(s.c_str(), &end);
    if (s.empty() || *end || errno || !std::isfinite(v) || v < lo || v > hi) return false;
    *out = v;
    return true;
}

bool refuse(std::string* error, std::string message) {
    *error = std::move(message);
    return false;
}

bool simFault(const std::string& opt, const std::string& v, SimFaultOption* f, std::string* error) {
    constexpr long kMaxSlot = 15;
    long a = 0, b = 0;
    if (opt == "--sim-absent" || opt == "--sim-thermal") {
        f->kind = opt == "--sim-absent" ? SimFaultOption::Absent : SimFaultOption::Thermal;
        if (!toInt(v, 0, kMaxSlot, &a)) return refuse(error, opt + " takes a slot from 0 to 15 (0 = 0x80)");
        f->slot = static_cast<int>(a);
        return true;
    }
    if (opt == "--sim-corrupt-one-in") {
        f->kind = SimFaultOption::CorruptOneIn;
        if (!toInt(v, 1, 1000000, &a)) return refuse(error, opt + " takes a number from 1");
        f->code = static_cast<int>(a);
        return true;
    }
    const auto p = splitColons(v);
    if (opt == "--sim-cell") {
        f->kind = SimFaultOption::Cell;
        if (p.size() != 3 || !toInt(p[0], 0, kMaxSlot, &a) || !toInt(p[1], 1, 12, &b) ||
            !toDouble(p[2], -1.0, 6.0, &f->volts))
            return refuse(error, opt + " takes SLOT:CELL:VOLTS (slot 0..15, cell 1..12, volts -1..6)");
    } else {  // --sim-self-test-fault
        f->kind = SimFaultOption::SelfTest;
        char* end = nullptr;
        const long code = p.size() == 3 ? std::strtol(p[2].c_str(), &end, 16) : -1;
        if (p.size() != 3 || !toInt(p[0], 0, kMaxSlot, &a) || !toInt(p[1], 1, 12, &b) || p[2].empty() ||
            p[2].size() > 3 || *end || code < 0)
            return refuse(error, opt + " takes SLOT:CELL:CODE (slot 0..15, cell 1..12, hex code 000..FFF)");
        f->code = static_cast<int>(code);
    }
    f->slot = static_cast<int>(a);
    f->cell = static_cast<int>(b);
    return true;
}

}  // namespace

CliOptions parseCliArgs(const std::vector<std::string>& args) {
    CliOptions o;
    std::vector<std::string> own;  // command options given, checked once the command is known
    for (std::size_t i = 0; i < args.size() && o.error.empty(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) {
                o.error = a + " needs a value";
                return {};
            }
            return args[++i];
        };
        long n = 0;
        if (a == "--help" || a == "-h") o.help = true;
        else if (a == "--version") o.version = true;
        else if (a == "--json") o.json = true;
        else if (a == "--simulate") o.link = "sim";
        else if (a == "--link") o.link = value();
        else if (a == "--trace") o.tracePath = value();
        else if (a == "--sim-id") o.simId = value();
        else if (a == "--reconnect") o.reconnect = true;
        else if (a == "--sim-boards") {
            if (toInt(value(), 0, 16, &n)) o.simBoards = static_cast<int>(n);
            else if (o.error.empty()) o.error = "--sim-boards takes a number from 0 to 16";
        } else if (a == "--boards") {
            if (toInt(value(), 1, 10, &n)) o.boards = static_cast<int>(n);
            else if (o.error.empty()) o.error = "--boards takes a number from 1 to 10";
        } else if ((a == "--sim-absent" || a == "--sim-thermal" || a == "--sim-cell" || a == "--sim-self-test-fault" ||
                    a == "--sim-corrupt-one-in")) {
            SimFaultOption f;
            const std::string v = value();
            if (o.error.empty() && simFault(a, v, &f, &o.error)) o.simFaults.push_back(f);
        } else if (a == "--board") {
            own.push_back(a);
            if (toInt(value(), 1, 10, &n)) o.board = static_cast<int>(n);
            else if (o.error.empty()) o.error = "--board takes a board number from 1 to 10";
        } else if (a == "--all") {
            own.push_back(a);
            o.all = true;
        } else if (a == "--config") {
            own.push_back(a);
            o.configPath = value();
        } else if (a == "--to") {
            own.push_back(a);
            o.to = value();
        } else if (a == "--duration") {
            own.push_back(a);
            if (!toDouble(value(), 0.001, 1e7, &o.durationS) && o.error.empty())
                o.error = "--duration takes a number of seconds greater than 0";
        } else if (a == "--pace") {
            own.push_back(a);
            o.pace = value();
            if (o.error.empty() && o.pace != "window" && o.pace != "fast") o.error = "--pace takes window or fast";
        } else if (a == "--batch-frames") {
            own.push_back(a);
            o.batchFrames = true;
        } else if (a == "--label") {
            own.push_back(a);
            o.label = value();
        } else if (a == "--csv" || a == "--xlsx") {
            own.push_back(a);
            (a == "--csv" ? o.csvOut : o.xlsxOut) = value();
        } else if (a == "--follow") {
            own.push_back(a);
            o.follow = true;
        } else if (a == "--recording") {
            own.push_back(a);
            if (toInt(value(), 1, 2147483647L, &n)) o.recordingId = n;
            else if (o.error.empty()) o.error = "--recording takes a recording id (see list)";
        } else if (a.size() > 1 && a[0] == '-') {
            o.error = "unknown option " + a;
        } else if (o.command.empty()) {
            o.command = a;
        } else if (o.operand.empty() && (o.command == "write-config" || kStoreCommands.count(o.command))) {
            o.operand = a;
        } else {
            o.error = "unexpected argument " + a;
        }
    }
    if (!o.error.empty() || o.version || (o.help && o.command.empty())) return o;
    auto fail = [&o](std::string message) {
        o.error = std::move(message);
        return o;
    };

    if (o.command.empty()) return fail("no command given");
    const auto known = kCommandOptions.find(o.command);
    if (known == kCommandOptions.end()) return fail("unknown command " + o.command);
    if (o.help) return o;
    for (const std::string& opt : own)
        if (!known->second.count(opt)) return fail(opt + " is not an option of " + o.command);

    // The window takes the same link texts through the same parser, with the same refusals.
    const ParsedLink link = parseLinkText(o.link);
    if (!link.error.empty()) return fail(link.error);
    if (!o.simFaults.empty() && link.kind != ParsedLink::Kind::Sim)
        return fail("the --sim-... faults need the simulated stack (--simulate)");
    if (o.board > 0 && o.all) return fail("--board and --all exclude each other");
    if (o.board > o.boards)
        return fail("--board " + std::to_string(o.board) + " is not in the stack of " + std::to_string(o.boards) +
                    " board(s) (--boards)");
    if (o.command == "write-config" && o.operand.empty()) return fail("write-config needs a FILE");
    if (kStoreCommands.count(o.command) && o.operand.empty())
        return fail(o.command + " needs a RECORDING (a file or a postgresql:// URL)");
    if (o.command == "record" && o.to.empty()) return fail("record needs --to FILE|URL");
    if (o.batchFrames && o.pace != "fast") return fail("--batch-frames needs --pace fast");
    if (o.command == "export" && o.csvOut.empty() == o.xlsxOut.empty())
        return fail("export takes one of --csv OUT or --xlsx OUT");
    return o;
}

std::vector<int> targetSlots(const CliOptions& o) {
    if (o.board > 0) return {o.board - 1};
    std::vector<int> boardSlots;
    for (int s = 0; s < (o.all ? o.boards : 1); ++s) boardSlots.push_back(s);
    return boardSlots;
}

bool commandNeedsDevice(const std::string& command) { return kDeviceCommands.count(command) > 0; }

std::string cliUsage() {
    constexpr std::size_t kHelpColumn = 25, kHelpWidth = 100;
    return "Usage: zmx7730-cli [options] COMMAND [command options]\n"
           "Device commands for a ZMX7730 battery-stack monitor chain behind an LK200 USB-to-SPI\n"
           "controller, without a window.\n\n"
           "Commands:\n"
           "  identify                        the controller's identification\n"
           "  read-config [--board N|--all]   configuration read back\n"
           "  write-config FILE               write a JSON configuration, read back and compare\n"
           "  read-cells [--board N|--all]    cell voltages (conversion, poll, read)\n"
           "  read-flags [--board N|--all]    under-/over-voltage flags\n"
           "  read-temps [--board N|--all]    temperatures and thermal shutdown\n"
           "  selftest [--board N|--all]      cell and temperature self-test patterns\n"
           "  record --to FILE|URL            keep every read in a database\n"
           "  export RECORDING --csv OUT|--xlsx OUT\n"
           "                                  a recording as CSV or as the datalog workbook\n"
           "  replay RECORDING [--follow]     the recorded reads as rows\n"
           "  list RECORDING                  the recordings a database holds\n\n"
           "Options:\n"
           "  --simulate             use the built-in simulated controller and chip stack\n"
           "  --link LINK            " +
           linkTextFormsColumn(kHelpColumn, kHelpWidth) +
           "\n"
           "                         (default: find a controller; rate 9600 8N1)\n"
           "  --reconnect            record: when the controller stops answering, wait for the same\n"
           "                         one to come back instead of ending\n"
           "  --trace FILE           write one line per transfer: time, operation, request, reply\n"
           "  --boards N             boards in the stack, 1..10 (default 1)\n"
           "  --json                 machine output (one JSON document; a table otherwise)\n"
           "  --sim-boards N         boards present in the simulated stack (default 10)\n"
           "  --sim-id TEXT          identification text of the simulated controller\n\n"
           "Faults of the simulated stack (slot 0 = board 1 at 0x80):\n"
           "  --sim-absent SLOT      no board at SLOT\n"
           "  --sim-thermal SLOT     thermal shutdown on the board at SLOT\n"
           "  --sim-cell SLOT:CELL:VOLTS\n"
           "                         the voltage cell CELL (1..12) of SLOT really holds\n"
           "  --sim-self-test-fault SLOT:CELL:CODE\n"
           "                         self tests latch the hex CODE (000..FFF) at cell CELL of SLOT\n"
           "  --sim-corrupt-one-in N\n"
           "                         corrupt the PEC of one reply in N\n\n"
           "Other options:\n"
           "  --version, --help      (COMMAND --help: the help of a command)\n\n"
           "Exit status: 0 done, 1 device or verification failure (also: no controller\n"
           "answered), 2 usage or input error.\n";
}

std::string commandUsage(const std::string& command) {
    static const std::map<std::string, std::string> help = {
        {"identify",
         "Usage: zmx7730-cli [options] identify\n"
         "Sends the identification request and prints the controller's reply. Exit 1 when no\n"
         "supported controller answers.\n"},
        {"read-config",
         "Usage: zmx7730-cli [options] read-config [--board N | --all]\n"
         "Reads the configuration of board N (default 1) or of every board of the stack and\n"
         "decodes it: CDC, ten-cell bit, GPIO, discharge and mask bits, thresholds.\n"},
        {"write-config",
         "Usage: zmx7730-cli [options] write-config FILE\n"
         "Writes a JSON configuration, reads every board it names back and compares. Per board\n"
         "(\"1\"..\"10\", or \"all\" for every board; a board's own entry wins) either the bytes\n"
         "  {\"boards\": {\"1\": {\"cfgr\": \"E1 00 00 00 00 00\"}}}\n"
         "or named fields\n"
         "  {\"boards\": {\"all\": {\"cdc\": 1, \"vuv\": 3.0, \"vov\": 4.2}}}\n"
         "Fields: cfgr, cdc (0..7), tenCells, lvlpl, gpio [GPIO1, GPIO2] (1 = Hi-Z),\n"
         "discharge [cells], mask [cells], vuv and vov (volts). Named fields start from the\n"
         "power-on image E0 00 00 00 00 00. Exit 1 when a read-back differs.\n"},
        {"read-cells",
         "Usage: zmx7730-cli [options] read-cells [--board N | --all] [--config FILE]\n"
         "Starts a cell conversion (broadcast for --all), polls, waits the measure time and\n"
         "reads the cells. --config writes FILE first (boards in standby convert nothing).\n"},
        {"read-flags",
         "Usage: zmx7730-cli [options] read-flags [--board N | --all] [--config FILE]\n"
         "Starts a cell conversion, polls, waits and reads the under-/over-voltage flags.\n"},
        {"read-temps",
         "Usage: zmx7730-cli [options] read-temps [--board N | --all] [--config FILE]\n"
         "Starts a temperature conversion, polls, waits and reads the temperatures.\n"},
        {"selftest",
         "Usage: zmx7730-cli [options] selftest [--board N | --all] [--config FILE]\n"
         "Runs the cell and temperature self tests with the patterns 0x555, 0xAAA and 0xFFF and\n"
         "gives a verdict per board. A board in standby (CDC 0) cannot be tested and fails.\n"
         "Exit 1 when a board fails.\n"},
        {"record",
         "Usage: zmx7730-cli [options] record --to FILE|URL [--duration S] [--config FILE]\n"
         "                   [--pace window|fast] [--batch-frames] [--label TEXT]\n"
         "Keeps every read in a SQLite file or a postgresql:// database until the duration ends\n"
         "or SIGINT/SIGTERM. --config writes FILE first. --pace window (default): the window's\n"
         "continuous mode, one step every 100 ms. --pace fast: broadcast conversions and every\n"
         "board read back to back, as fast as the chips allow. --batch-frames (with --pace fast):\n"
         "every board's read frames of one kind in one write, their replies read together; it\n"
         "saves the latency wait of each read, but the LK200 is not known to accept several\n"
         "frames in one text: confirm on your hardware before relying on it.\n"},
        {"export",
         "Usage: zmx7730-cli export RECORDING (--csv OUT | --xlsx OUT) [--recording ID]\n"
         "Writes a recording (default: the latest) as CSV or as the datalog workbook.\n"},
        {"replay",
         "Usage: zmx7730-cli [--json] replay RECORDING [--follow] [--recording ID]\n"
         "Prints the recorded reads as rows; --follow keeps printing new ones until SIGINT.\n"},
        {"list",
         "Usage: zmx7730-cli [--json] list RECORDING\n"
         "Lists the recordings of a database: id, start, host, label, boards, reads.\n"},
    };
    const auto it = help.find(command);
    return it != help.end() ? it->second : cliUsage();
}

}  // namespace zmx
