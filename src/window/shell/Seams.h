#pragma once
// The few places where the window meets the outside world, each replaceable so tests can
// watch them: message boxes, the end of the program, the clock, and opening a saved file.

#include <QDateTime>
#include <QString>
#include <functional>

namespace zmx {

struct Seams {
    // An OK-only message box with the application's default title.
    std::function<void(const QString& text)> messageBox;
    // Ends the program with the status; the line has already been printed.
    std::function<void(int status)> exitProgram;
    // "Now", for time stamps and file names.
    std::function<QDateTime()> now;
    // Opens a saved file with the desktop's default application; false and a reason on failure.
    std::function<bool(const QString& path, QString* error)> openFile;
    // Where error lines go (standard error by default).
    std::function<void(const QString& line)> errorLine;
    // Whether a terminal shows standard error; when not, a fatal line is also shown in a box.
    // Unset counts as a terminal.
    std::function<bool()> hasTerminal;
};

// The real seams: QMessageBox, QApplication::exit, the system clock, QDesktopServices, stderr,
// isatty on standard error.
Seams defaultSeams();

}  // namespace zmx
