#pragma once
// Geometry of the main window that more than one unit moves controls to: the command
// column, the broadcast boxes, the watchdog banner and the board grid. Window units are
// pixels of the 900 x 600 client area; positions inside frames are in twips (15 per unit).

#include <QPoint>
#include <QRect>

namespace zmx::layout {

constexpr int kClientWidth = 900;
constexpr int kClientHeight = 600;
constexpr int kTwipsPerUnit = 15;

// Command column (Command1, Command3): a marked button is narrowed and shifted right so
// that the highlight shape around it shows.
constexpr int kCommandLeft = 796;
constexpr int kCommandWidth = 97;
constexpr int kCommandNarrowLeft = 804;
constexpr int kCommandNarrowWidth = 81;
constexpr int kCommandHeight = 17;

// Broadcast boxes (Check5, Check8): wide while checked ("BROADCAST"), narrow while
// unchecked ("B'CAST") with the companion board label beside them.
constexpr int kBroadcastLeft = 679;
constexpr int kBroadcastWideWidth = 113;
constexpr int kBroadcastNarrowWidth = 57;

// Watchdog banner Label_KA(1) (and Label_AUTOstatus, which shares its place).
constexpr int kBannerLeft = 457;
constexpr int kBannerTop = 344;
constexpr int kBannerWidth = 339;
constexpr int kBannerHeight = 34;

// Board grid: one row per board slot, slot 0 at the bottom, rows stacked upward.
// Each row: marker Image1, stack bar Shape15, button Command4(slot), PEC lamp
// Shape12(slot), then the lamps Shape1(12*slot + i) with cell 12 leftmost.
constexpr int kBoardRowPitch = 20;
constexpr int kBoardRowTop0 = 578;  // top of slot 0's row
constexpr int kBoardRowHeight = 20;
constexpr int kBoardMarkerLeft = 458;
constexpr int kStackBarLeft = 472;
constexpr int kStackBarWidth = 8;
constexpr int kBoardButtonLeft = 482;
constexpr int kBoardButtonWidth = 80;
constexpr int kLampPitch = 18;
constexpr int kLampSize = 14;
constexpr int kPecLampLeft = 566;  // lamp column 0; cell 12 is column 1, cell 1 column 12
constexpr int kLampHeaderLeft = 562;

constexpr int boardRowTop(int slot) { return kBoardRowTop0 - kBoardRowPitch * slot; }

// Board button of a slot; the selected board's button is drawn shorter, centred in its row.
constexpr QRect boardButtonRect(int slot, bool selected) {
    return selected ? QRect(kBoardButtonLeft, boardRowTop(slot) + 3, kBoardButtonWidth, kBoardRowHeight - 6)
                    : QRect(kBoardButtonLeft, boardRowTop(slot), kBoardButtonWidth, kBoardRowHeight);
}

// Stack bar beside the buttons of slots 0..lastBoardIndex.
constexpr QRect stackBarRect(int lastBoardIndex) {
    return QRect(kStackBarLeft, boardRowTop(lastBoardIndex), kStackBarWidth,
                 kBoardRowHeight + kBoardRowPitch * lastBoardIndex);
}

// Top-left of the board marker Image1 pointing at a slot's row.
constexpr QPoint boardMarkerPos(int slot) { return QPoint(kBoardMarkerLeft, boardRowTop(slot) + 4); }

// Top-left of the lamp column header Label9(1), just above the top visible row.
constexpr QPoint lampHeaderPos(int lastBoardIndex) { return QPoint(kLampHeaderLeft, boardRowTop(lastBoardIndex) - 13); }

// Lamp of a cell (index 0..11 = cell 1..12) in a slot's row.
constexpr QRect cellLampRect(int slot, int cellIndex) {
    return QRect(kPecLampLeft + kLampPitch * (12 - cellIndex), boardRowTop(slot) + 3, kLampSize, kLampSize);
}

constexpr QRect pecLampRect(int slot) { return QRect(kPecLampLeft, boardRowTop(slot) + 3, kLampSize, kLampSize); }

}  // namespace zmx::layout
