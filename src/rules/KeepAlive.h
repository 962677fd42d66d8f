#pragma once
// The watchdog keep-alive: while continuous mode is off and some board of the stack runs
// in measure mode (CDC not 0), a broadcast poll-ADC goes out every second tick and the
// "WDT SERVICE" marker blinks. The counter runs 3, 4, 5, 0, 1, 2, 3 ... once active.

#include <string>
#include <string_view>

#include "model/StackState.h"

namespace zmx {

inline constexpr int16_t kKeepAliveStartCounter = 3;  // first tick polls and shows the marker
inline constexpr int16_t kKeepAliveLastCounter = 5;

// The two banners of the keep-alive, each first part padded with the blanks the layout
// of the label relies on.
inline constexpr std::string_view kSendingBannerText =
    " COMMANDS BEING SENT CONTINUOUSLY.                          "
    " PREVENTS WATCHDOG TIMEOUT.";
inline constexpr std::string_view kPollBannerText =
    " POLL ADC BEING SENT.                                                             "
    " PREVENTS WATCHDOG TIMEOUT.";
inline constexpr int kBannerPointSize = 9;

// True on the ticks whose counter value sends the keep-alive poll (1, 3 and 5).
constexpr bool keepAlivePollDue(int16_t active, int16_t counter) {
    return active == 1 && (counter == 1 || counter == 3 || counter == 5);
}

// The counter after one tick: 5 wraps to 0.
constexpr int16_t nextKeepAliveCounter(int16_t counter) {
    return counter >= kKeepAliveLastCounter ? int16_t{0} : static_cast<int16_t>(counter + 1);
}

// What one tick does to the "WDT SERVICE" marker, judged before the counter advances.
enum class WdtMarker { Keep, Show, Hide };
constexpr WdtMarker wdtMarkerAt(int16_t active, int16_t counter) {
    if (active != 1 || counter == 0) return WdtMarker::Hide;
    return counter == kKeepAliveStartCounter ? WdtMarker::Show : WdtMarker::Keep;
}

// True when some board 0..lastBoardIndex was written with a non-zero CDC (bits 2..0 of
// the written CFGR0; an empty written copy counts as 0).
bool anyBoardMeasuring(const StackState& st);

// Sets keepAliveActive (and restarts the counter) from the written configurations.
void evaluateKeepAliveState(StackState& st);

// The keep-alive poll: PLADC in broadcast form, closed with "X" so no frame stays open.
std::string keepAlivePollFrame();

}  // namespace zmx
