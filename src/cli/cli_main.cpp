// zmx7730-cli: the device commands of the window for scripts and production lines, on the
// same stack session, without a window. Results go to standard output (a table or JSON),
// diagnostics to standard error; see --help for the commands and the exit status.

#include <QCoreApplication>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/ConfigFile.h"
#include "cli/RecordCommands.h"
#include "cli/StackCommands.h"
#include "link/ControllerLink.h"
#include "link/LinkFactory.h"
#include "link/LinkText.h"
#include "record/OutputFile.h"
#include "session/LinkFailureLine.h"
#include "sim/SimStack.h"

namespace {

using namespace zmx;

volatile std::sig_atomic_t stopRequested = 0;
void onStop(int) { stopRequested = 1; }

void installStopSignals() {
    struct sigaction sa {};
    sa.sa_handler = onStop;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;  // a transfer in progress resumes; the loop checks the flag
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

void complain(const std::string& message) { std::fprintf(stderr, "zmx7730-cli: %s\n", message.c_str()); }

void print(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void applySimFaults(sim::SimStack& stack, const std::vector<SimFaultOption>& faults) {
    for (const SimFaultOption& f : faults) {
        switch (f.kind) {
            case SimFaultOption::Absent: stack.setBoardPresent(f.slot, false); break;
            case SimFaultOption::Thermal: stack.setThermalShutdown(f.slot, true); break;
            case SimFaultOption::Cell: stack.setCellVolts(f.slot, f.cell, f.volts); break;
            case SimFaultOption::SelfTest: stack.setSelfTestFault(f.slot, f.cell, f.code); break;
            case SimFaultOption::CorruptOneIn: stack.setPecCorruptionRate(f.code, 1); break;
        }
    }
}

// Writes the configuration file of --config (or of write-config) and says on standard error
// where a read-back differs. True when every board verified.
bool writeConfigFile(StackSession& session, const ConfigFile& file, bool json, bool printResult) {
    const ConfigVerification v = writeAndVerify(session, file.images);
    if (printResult) print(formatVerification(v, json));
    for (int s : v.mismatched)
        complain("board " + std::to_string(s + 1) + ": the configuration read back differs from the one written");
    return v.ok();
}

int runDeviceCommand(const CliOptions& o) {
    // A configuration file is checked before anything is sent.
    ConfigFile config;
    const std::string configPath = o.command == "write-config" ? o.operand : o.configPath;
    if (!configPath.empty()) {
        config = loadConfigFile(configPath, o.boards);
        if (!config.error.empty()) {
            complain(config.error);
            return kExitUsage;
        }
        bool any = false;
        for (const auto& image : config.images) any = any || image.has_value();
        if (!any) {
            complain(configPath + ": names no board of the stack");
            return kExitUsage;
        }
    }
    // The recording's target too: a recording that cannot start sends nothing to the stack.
    if (o.command == "record") {
        std::string why = outputIsRecording(o.tracePath, o.to);
        if (!why.empty()) why = "--trace " + why;
        if (!why.empty() || !checkRecordTarget(o.to, &why)) {
            complain(why);
            return kExitUsage;
        }
    }

    LinkChoice choice = makeLink(o.link, {o.simBoards, o.simId});
    if (!choice.backend) {
        complain(choice.error);
        // A text the parser refuses is a usage error; no device found, or none this build can
        // reach, is the device's side.
        return parseLinkText(o.link).error.empty() ? kExitFailure : kExitUsage;
    }
    if (choice.simStack) applySimFaults(*choice.simStack, o.simFaults);
    const std::string linkText = o.link.empty() ? choice.backend->name() : o.link;
    ControllerLink link(std::move(choice.backend));
    if (!o.tracePath.empty() && !link.openTrace(o.tracePath)) {
        complain("cannot write the trace file " + o.tracePath);
        return kExitUsage;
    }
    StackSession session(link);
    // A command that failed says why when the controller went away during it.
    const auto failed = [&session] {
        const std::string lost = lostControllerLine(session);
        if (!lost.empty()) complain(lost);
        return kExitFailure;
    };

    if (o.command == "identify") {
        const bool supported = session.identify();
        print(formatIdentify(session.lastIdentReply(), supported, linkText, o.json));
        if (!supported) complain(linkFailureLine(LinkFailure::NoController, session));
        return supported ? kExitDone : kExitFailure;
    }
    if (!session.startUp()) {
        complain(linkFailureLine(LinkFailure::NoController, session));
        return kExitFailure;
    }
    setStackSize(session, o.boards);

    if (o.command == "write-config") return writeConfigFile(session, config, o.json, true) ? kExitDone : failed();
    if (!configPath.empty() && !writeConfigFile(session, config, o.json, false)) return failed();

    const std::vector<int> boardSlots = targetSlots(o);
    if (o.command == "read-config") {
        std::vector<BoardRead> reads;
        for (int s : boardSlots) reads.push_back(session.readConfig(s));
        print(formatConfigReads(reads, o.json));
        bool good = true;
        for (const BoardRead& r : reads) good = good && r.pecMatch;
        return good ? kExitDone : failed();
    }
    if (o.command == "read-cells" || o.command == "read-flags" || o.command == "read-temps") {
        const ReadWhat what = o.command == "read-cells"   ? ReadWhat::Cells
                              : o.command == "read-flags" ? ReadWhat::Flags
                                                          : ReadWhat::Temps;
        const std::vector<BoardResult> results = convertAndRead(session, what, boardSlots, sleepMs);
        std::vector<int> standby;
        bool good = true;
        for (const BoardResult& r : results) {
            if (r.standby) standby.push_back(r.read.slot);
            good = good && r.read.pecMatch;
        }
        if (!standby.empty()) complain(standbyNotice(standby));
        print(formatBoardResults(what, results, o.json));
        return good ? kExitDone : failed();
    }
    if (o.command == "selftest") {
        const std::vector<SelfTestVerdict> verdicts = runSelfTest(session, boardSlots, sleepMs);
        std::vector<int> standby;
        bool good = true;
        for (const SelfTestVerdict& v : verdicts) {
            if (v.standby) standby.push_back(v.slot);
            good = good && v.passed();
        }
        if (!standby.empty()) complain(standbyNotice(standby));
        print(formatSelfTest(verdicts, o.json));
        return good ? kExitDone : failed();
    }
    if (o.command == "record") {
        installStopSignals();
        return runRecord(session, o, linkText, stopRequested, complain, print);
    }
    complain("unknown command " + o.command);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const CliOptions o = parseCliArgs(args);
    if (!o.error.empty()) {
        complain(o.error + " (zmx7730-cli --help)");
        return kExitUsage;
    }
    if (o.version) {
        std::printf("zmx7730-cli %s\n", ZMX_VERSION);
        return kExitDone;
    }
    if (o.help) {
        print(o.command.empty() ? cliUsage() : commandUsage(o.command));
        return kExitDone;
    }
    if (commandNeedsDevice(o.command)) return runDeviceCommand(o);
    installStopSignals();
    return runStoreCommand(o, stopRequested, complain, print);
}
