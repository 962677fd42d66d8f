#pragma once
// The main window: owns the controls of the window inventory, the stack state and the
// controller link, and runs the handlers. A handler calls the logic, makes the transfer
// and paints the controls. Its procedures are split by subsystem into Form1_*.cpp files
// in the folders of the subsystems (commands/, config/, display/, modes/, export/, ...).

// The controls are only pointers here (see Controls.h); each .cpp includes the Qt headers
// of the controls it works.

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "model/StackState.h"
#include "window/shell/Seams.h"
#include "window/shell/widgets/Controls.h"

class QCloseEvent;

namespace zmx {

struct ChipCommand;
class ControllerLink;
struct MonitorView;
class StackSession;
class ControllerReturn;
struct LinkProbes;
struct StartResult;
struct ThermalChanges;

// The three read indicators: the button of the read that is due after a start or a write.
enum class ReadIndicator { Cell, Temp, Config };

class Form1 : public QMainWindow {
    Q_OBJECT

public:
    Form1(ControllerLink& link, Seams seams, QWidget* parent = nullptr);
    ~Form1() override;

private:
    // The stack session the device handlers call; declared first, as st refers into it.
    std::unique_ptr<StackSession> session_;

public:
    StackSession& session() { return *session_; }
    StackState& st;
    Controls ui;
    QTimer Timer1;

    ControllerLink& link() { return link_; }
    Seams& seams() { return seams_; }
    // Where the window dump goes on SIGUSR1 and at the end (empty: no dump).
    void setDumpPath(const QString& path) { dumpPath_ = path; }
    bool writeDump() const;
    // The error line printed when the controller is not (or no longer) identified.
    QString identificationErrorLine(bool atStartUp) const;
    // Prints that line and, when no terminal shows it, also puts it in a message box.
    void reportLinkFailure(bool atStartUp);
    // --reconnect: a controller that stops answering is waited for instead of ending the program.
    // probes: where a tty's USB serial number is looked up (null: the machine's own).
    void setReconnect(bool on, const LinkProbes* probes = nullptr);
    bool controllerLost() const;
    // The line that says the controller is lost or back (hidden otherwise).
    QLabel* linkStatusLine() const { return linkStatus_; }

    // ---------------------------------------------------------------- shell (start-up)
    void Identify();
    bool Form_Load();  // false: not identified, the window is not shown
    void Form_Unload();
    void mnuExit_Click();
    void Cmd_DIAG_Click();
    void InitWindowAndState();

    // ---------------------------------------------------------------- transfer monitor
    void paintMonitor(const MonitorView& view);
    void paintReadTransfer(const ChipCommand& cmd, uint8_t rxPec, uint8_t calcPec);
    void paintReadTransfer(const ChipCommand& cmd, uint8_t rxPec, uint8_t calcPec, int slot);
    QString ShowCommandTransfer(const std::string& name, const std::string& code, const std::string& cmdPec,
                                const std::string& addrPec, int mode);
    void ShowWriteConfigTransfer();
    void ShowReadConfigTransfer();
    void ShowReadConfigTransfer(int slot);
    void ShowCellReadTransfer(int selector);
    void ShowFlagReadTransfer();
    void ShowTempReadTransfer();
    void ClearMonitor();
    void ReshowLastTransfer();
    // A write-only command as the monitor shows it; lineOnly draws only its byte line
    // (continuous mode, where the read of the same tick draws the labels).
    QString paintStart(const StartResult& start, bool lineOnly = false);

    // ---------------------------------------------------------------- device commands
    void WriteConfig();
    void ReadConfig();  // of the selected board
    void ReadConfig(int slot);
    void ShowReadback();
    void CompareReadback();
    void paintStatusLamp(int slot);
    QString StartCellConversion(int kind, const std::string& lowDigit);
    void StartTempConversion(const std::string& lowDigit);
    void SendPoll(int kind);
    // True when the selected board's broadcast box puts the command in broadcast form.
    bool broadcastBoxOn(const ChipCommand& cmd) const;
    void ReadCells(int selector);
    void ReadFlags();
    void ReadTemps();
    // What a read left in the state, painted: monitor, the board's lamp, the values.
    void paintConfigRead(int slot);
    void paintCellRead(int slot, int selector);
    void paintFlagRead(int slot);
    void paintTempRead(int slot);
    void paintThermalChanges(const ThermalChanges& changes);

    // ---------------------------------------------------------------- configuration editor
    void ApplyCdc();
    void LoadCfgrBoxes(int n);
    void EncodeCfgr0();
    void EncodeCfgr(int n);
    void RefreshConfigView();
    void ShowWritePending();
    int Text2_KeyPress(int index, int key);
    void Text2_GotFocus(int index);
    void Text2_LostFocus(int index);
    void Command2_Click(int index);
    void ShowThresholds();
    void Check0_Click(int index);
    void Check1_Click(int index);
    void Check2_Click(int index);
    void Check3_Click(int index);
    void Command0_Click(int index);
    void Option1_Click(int index);
    void Option3_Click(int index);
    void CopyImageToAll();
    void ApplyScope();
    void ApplyCellMode();
    void Combo1_Click();
    void Combo2_Click();
    void Command4_Click(int index);
    void Check5_Click(int index);
    void Check8_Click(int index);
    void showBoardBanners(int index);
    void layoutBoardGrid();

    // ---------------------------------------------------------------- measurement display
    void ShowCellVolts(int selector);
    void ShowCellHex(int selector);
    void ClearCellValues();
    void EvaluateCellStatus(int slot);
    void EvaluateCellStatusAll();
    void ShowCellStatus();
    void ClearCellStatus(bool allBoards);
    void SelectSingleCell(int index);
    void ShowFlags();
    void ClearFlags();
    void ShowTemps();
    void ShowTempsHex();
    void ShowTempIndicators();
    void ClearTemps();
    void SelectTempChannel(int index);

    // ---------------------------------------------------------------- operating modes
    void Command1_Click(int index);
    // A click of the panel button; READ CONFIG reads readSlot (the click: the selected board).
    void runPanelButton(int index, int readSlot);
    void Command3_Click(int index);
    void Command5_Click(int index);
    // The checked reads of the panel and the self-test view: every mismatch shown, status
    // derived, "PEC Match Only" restored afterwards.
    void panelCellRead();
    void panelTempRead(int16_t hexView);
    void deriveStatusFromFlags();
    void paintAllStatus();
    void applyThermalStatus();
    void prepareLowCurrentStandby();
    void showDischargeHeld(bool held);
    void Timer1_Timer();
    void toggleContinuous();
    void continuousStep();
    void evaluateKeepAlive();
    void keepAliveTick();
    void sendKeepAlivePoll();
    void readbackPrompt();
    void placeBanner();
    void Check_AUTO_Click();
    void makeDatalogStamp();
    void Option2_Click(int index);
    void resetCellHexView();
    void resetTempHexView();
    void checkCellSelfTest();
    void checkTempSelfTest();
    void armReadIndicator(ReadIndicator which);
    void markReadIndicator(ReadIndicator which);
    void unmarkReadIndicator(ReadIndicator which);
    void refreshAfterClick(ReadIndicator which);
    void refreshForBoard(ReadIndicator which);
    void resetReadIndicator(ReadIndicator which);
    void ARM_BLINK_RDCV_7730addr();

    // ---------------------------------------------------------------- spreadsheet export
    void mnuExcelOutTest_Click();
    std::function<QStringList()> exportFolders;  // where exports may go, best first (empty: defaults)

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Each subsystem wires the signals of its own controls to its handlers.
    void connectShellHandlers();
    void connectConfigHandlers();
    void connectDisplayHandlers();
    void connectModeHandlers();
    void connectExportHandlers();
    // Ends the program after a failed identification on a tick.
    void endOnLostController();
    // --reconnect: the tick's identification; false when the controller was just lost.
    bool identifyWatched();
    // --reconnect: a tick while the controller is lost (identification only).
    void waitForController();
    void showLinkStatus(const QString& text, bool lost);
    void tickLinkStatus();

    ControllerLink& link_;
    Seams seams_;
    QString dumpPath_;
    bool ended_ = false;
    std::unique_ptr<ControllerReturn> watch_;  // set with --reconnect
    QLabel* linkStatus_ = nullptr;
    int linkStatusTicksLeft_ = 0;  // ticks the "back" line stays up
    // Set while a start command of continuous mode is shown: the read that follows in the
    // same tick draws all of the monitor's labels, so the start draws only its byte line.
    bool startLineOnly_ = false;
};

}  // namespace zmx
