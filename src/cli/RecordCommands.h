#pragma once
// The command line's recording commands: record (a session's reads into the recording
// store at the window's pace or the fast pace), and export, replay and list, which only
// read a recording database.

#include <csignal>
#include <functional>
#include <string>

#include "cli/CliOptions.h"

namespace zmx {

class StackSession;

// A line to standard error or a text to standard output.
using Say = std::function<void(const std::string&)>;

// Whether an output file (a recording, a CSV, a workbook) can be written: an existing file
// must be writable, a new one needs a writable folder. A postgresql:// URL passes here; the
// server is asked when the recording opens. *why names the path.
bool checkOutputPath(const std::string& target, std::string* why);

// Whether record can open its target, asked before anything goes to the stack: the output
// path, then an existing file or a PostgreSQL server must be a recording database this
// program writes (or hold nothing yet). Changes nothing; *why names the target.
bool checkRecordTarget(const std::string& target, std::string* why);

// Records until --duration ends, `stop` is set (SIGINT/SIGTERM) or the controller stops
// answering; the queue is flushed before it returns. The session is started up with the
// stack size set and any --config already written.
int runRecord(StackSession& session, const CliOptions& o, const std::string& linkText, volatile std::sig_atomic_t& stop,
              const Say& complain, const Say& print);

// export, replay and list.
int runStoreCommand(const CliOptions& o, volatile std::sig_atomic_t& stop, const Say& complain, const Say& print);

}  // namespace zmx
