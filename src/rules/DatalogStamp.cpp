#include "rules/DatalogStamp.h"

#include <QLocale>
#include <algorithm>

namespace zmx {

namespace {

// The C locale gives "AM"/"PM" whatever the user's language.
std::string formatted(const QDateTime& now, const QString& pattern) {
    return QLocale::c().toString(now, pattern).toStdString();
}

// Seconds per sample of the datalog: one full pass of the sequence.
constexpr double kSecondsPerSample = 0.8;

}  // namespace

std::string datalogTimeDate(const QDateTime& now) {
    return formatted(now, QStringLiteral("hh:mm:ss AP")) + " @ " + formatted(now, QStringLiteral("MM-dd-yyyy"));
}

std::string datalogDateTime(const QDateTime& now) {
    return formatted(now, QStringLiteral("MM-dd-yyyy")) + "_" + formatted(now, QStringLiteral("hh_mm_ss AP"));
}

QString datalogViewToolTip(int32_t samples, float seconds) {
    return QStringLiteral("VIEW %1 SAMPLES FOR %2 SECONDS.")
        .arg(samples)
        .arg(QLocale::c().toString(static_cast<double>(seconds), 'f', 3));
}

void updateDatalogStamp(StackState& st, const QDateTime& now) {
    if (st.datalogDone == 0) {
        // Before the first sample the counter is 0; show no samples rather than -1.
        const int32_t taken = std::max<int32_t>(st.datalogSample - 1, 0);
        st.datalogSeconds = static_cast<float>(taken * kSecondsPerSample);
        st.datalogSamplesShown = taken;
    } else {
        st.datalogSeconds = st.setupSeconds;
        st.datalogSamplesShown = st.setupSamples;
    }
    st.stampTimeDate = datalogTimeDate(now);
    st.stampDateTime = datalogDateTime(now);
}

}  // namespace zmx
