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
};

// The real seams: QMessageBox, QApplication::exit, the system clock, QDesktopServices, stderr.
Seams defaultSeams();

}  // namespace zmx
