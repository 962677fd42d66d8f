#pragma once
// Time stamps and the VIEW tool tip of the datalog variant of continuous mode. Times are
// on the 12-hour clock with an "AM"/"PM" suffix, dates month first.

#include <QDateTime>
#include <QString>
#include <string>

#include "model/StackState.h"

namespace zmx {

// "hh:mm:ss AM @ mm-dd-yyyy", e.g. "01:05:09 PM @ 03-14-2026".
std::string datalogTimeDate(const QDateTime& now);

// "mm-dd-yyyy_hh_mm_ss AM", e.g. "03-14-2026_01_05_09 PM"; also usable in a file name.
std::string datalogDateTime(const QDateTime& now);

// "VIEW 12 SAMPLES FOR 8.800 SECONDS."
QString datalogViewToolTip(int32_t samples, float seconds);

// Fills datalogSeconds / datalogSamplesShown (from the running sample counter, or from
// the setup figures once the log is complete) and the two stamps.
void updateDatalogStamp(StackState& st, const QDateTime& now);

}  // namespace zmx
