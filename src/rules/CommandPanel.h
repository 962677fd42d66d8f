#pragma once
// Plain rules of the command panel: where the keyboard focus goes after a button of the
// command row, and the configuration the low-current standby writes to the stack.

#include "model/StackState.h"

namespace zmx {

// Command row buttons by index.
enum PanelButton : int {
    kPollAdc = 0,
    kPollInt = 1,
    kStartCellVolt = 2,
    kStartOpenWire = 3,
    kStartTemp = 4,
    kWriteConfig = 5,
    kReadConfig = 6,
    kReadCellVolt = 7,
    kReadFlag = 8,
    kReadTemp = 9,
    kContinuous = 10,
    kStartDatalog = 11,
    kStopDatalog = 12,
    kViewDatalog = 13,
    kLowCurrentStandby = 14,
};

// The button that is the natural next step after a click of the row: after a start the
// matching read, after a read the next start. -1 leaves the focus where it is (WRITE
// CONFIG moves it itself, and only when READ CONFIG is enabled).
constexpr int panelFocusTarget(int index) {
    switch (index) {
        case kStartCellVolt:
        case kStartOpenWire: return kReadCellVolt;
        case kStartTemp: return kReadTemp;
        case kReadCellVolt: return kReadFlag;
        case kReadFlag: return kStartCellVolt;
        case kReadTemp: return kStartTemp;
        default: return -1;
    }
}

// Standby configuration for every board of the stack: CFGR0 "E0" with CDC 0, CFGR1..CFGR5
// "00", both threshold codes 0. Boards above the stack keep their images.
void resetImagesForStandby(StackState& st);

}  // namespace zmx
