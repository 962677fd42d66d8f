#pragma once
// The "Record" menu beside the main window's own menus: start recording every read of the
// session to an SQLite file or a postgresql:// URL (the last target is remembered), stop,
// export a recording as CSV or .xlsx, and open a recording for replay in the stack view.
// While recording, a status line (in the menu and in the stack view) gives the target, the
// rows written and any failure of the store in words. The "Datalog" entries stay as they
// are.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QTimer;

namespace zmx {

class Form1;
class RecordWriter;
class ViewMenus;

class RecordMenu : public QObject {
    Q_OBJECT

public:
    // Questions the menu asks the user; tests replace them. An empty answer cancels.
    struct Prompts {
        std::function<QString(const QString& title, const QString& current)> target;
        std::function<QString(const QString& title, const QString& suggested)> saveFile;
    };

    // views must outlive the menu. linkName goes into the recording's context.
    RecordMenu(Form1& form, ViewMenus& views, QString linkName);
    ~RecordMenu() override;  // stops a recording, keeping what was queued

    void setPrompts(Prompts prompts) { prompts_ = std::move(prompts); }

    // Starts recording to the target; false with *error in words when it cannot be used.
    bool startRecording(const QString& target, QString* error);
    void stopRecording();
    bool recording() const { return writer_ != nullptr; }
    RecordWriter* writer() const { return writer_.get(); }
    // Writes the recording (the current one, else the latest of the remembered target) to a
    // .csv or .xlsx file, chosen by the file's extension.
    bool exportRecording(const QString& path, QString* error);
    // Loads the latest recording of the target into the stack view for replay.
    bool openRecording(const QString& target, QString* error);

    // The status line as shown now ("" when not recording and nothing happened).
    QString statusLine() const { return status_; }
    void updateStatus();

    // The last target used, as remembered between runs.
    static QString rememberedTarget();

    QMenu* menu() const { return menu_; }

private:
    void remember(const QString& target);
    void showStatus(const QString& line);
    void showError(const QString& text);

    Form1& form_;
    ViewMenus& views_;
    QString linkName_;
    Prompts prompts_;
    std::unique_ptr<RecordWriter> writer_;
    QString target_;
    QString lastEvent_;
    QString status_;
    QMenu* menu_;
    QAction* statusAction_;
    QAction* startAction_;
    QAction* stopAction_;
    QTimer* statusTimer_;
};

}  // namespace zmx
