#include "sim/SimStack.h"

#include <algorithm>
#include <cmath>

#include "protocol/Hex.h"
#include "protocol/Pec.h"
#include "sim/ControllerTexts.h"

namespace zmx::sim {

namespace {

constexpr double kVoltsPerCode = 0.0015;
constexpr int kZeroVoltCode = 512;
constexpr int kMaxCode = 0xFFF;
constexpr int kOpenWireCode = 500;            // an open cell input pulls to just below 0 V
constexpr double kDischargeDropVolts = 0.02;  // a cell read while its discharge switch is on
constexpr std::size_t kPendingMax = 65536;    // reply characters the controller buffers
constexpr std::size_t kReceivedLogMax = 4096;

// The simulated chips keep their own command codes on purpose, apart from the program's
// chip command table: the stack then checks the program's frames against an independent
// copy, and a wrong entry in either table shows up as a failing test.
enum Command : uint8_t {
    WRCFG = 0x01,
    RDCFG = 0x02,
    RDCV = 0x04,
    RDCVA = 0x06,
    RDCVB = 0x08,
    RDCVC = 0x0A,
    RDFLG = 0x0C,
    RDTMP = 0x0E,
};

// Self-test digits D, E, F replace every result by a fixed pattern.
int selfTestPattern(int lowDigit) {
    switch (lowDigit) {
        case 0xE: return 0x555;
        case 0xF: return 0xAAA;
        case 0xD: return 0xFFF;
        default: return -1;
    }
}

uint64_t splitMix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// A deterministic value in -1..1 for one seed and one place in the stack.
double spread(uint32_t seed, int slot, int index) {
    uint64_t s = (uint64_t{seed} << 32) ^ (static_cast<uint64_t>(slot) << 8) ^ static_cast<uint64_t>(index);
    return static_cast<double>(splitMix(s) % 2001) / 1000.0 - 1.0;
}

bool dischargeOn(const std::array<uint8_t, 6>& cfg, int cell) {
    return cell <= 8 ? (cfg[1] >> (cell - 1)) & 1 : (cfg[2] >> (cell - 9)) & 1;
}

bool masked(const std::array<uint8_t, 6>& cfg, int cell) {
    return cell <= 4 ? (cfg[2] >> (cell + 3)) & 1 : (cfg[3] >> (cell - 5)) & 1;
}

int cdcOf(const std::array<uint8_t, 6>& cfg) { return cfg[0] & 0x07; }
bool tenCells(const std::array<uint8_t, 6>& cfg) { return (cfg[0] & 0x08) != 0; }

// Two 12-bit codes in three bytes: low byte of a, high nibble of a with low nibble of b,
// then the upper eight bits of b.
void packPair(std::vector<uint8_t>& out, int a, int b) {
    out.push_back(static_cast<uint8_t>(a & 0xFF));
    out.push_back(static_cast<uint8_t>(((a >> 8) & 0x0F) | ((b & 0x0F) << 4)));
    out.push_back(static_cast<uint8_t>((b >> 4) & 0xFF));
}

}  // namespace

SimStack::SimStack(SimOptions options) : options_(std::move(options)), idText_(options_.idText) {
    noiseRng_ = options_.seed;
    corruptRng_ = options_.seed;
    // Inputs belong to the battery, not to the chip: every slot gets them, present or not.
    for (int slot = 0; slot < kMaxBoards; ++slot) {
        Chip& chip = chips_[static_cast<std::size_t>(slot)];
        const double boardOffset = 0.05 * spread(options_.seed, slot, 100);
        for (int n = 0; n < kCells; ++n)
            chip.inputVolts[static_cast<std::size_t>(n)] = 3.70 + boardOffset + 0.03 * spread(options_.seed, slot, n);
        chip.tempVolts = {1.45 + 0.05 * spread(options_.seed, slot, 101),
                          1.55 + 0.05 * spread(options_.seed, slot, 102),
                          2.00 + 0.02 * spread(options_.seed, slot, 103)};
    }
    const int boards = std::clamp(options_.boards, 0, kMaxBoards);
    for (int slot = 0; slot < boards; ++slot) powerUp(slot);
}

// ---------------------------------------------------------------- controller side

void SimStack::receive(std::string_view written) {
    if (!plugged_) return;
    noteWritten(written);
    // The controller acts once the whole text is in; its reply is timed from then.
    advanceMs(kMsPerChar * static_cast<double>(written.size()));
    interpret(written);
}

void SimStack::noteWritten(std::string_view written) {
    if (received_.size() >= kReceivedLogMax)
        received_.erase(received_.begin(), received_.begin() + kReceivedLogMax / 2);
    received_.emplace_back(written);
}

void SimStack::receiveItem(std::string_view item) {
    if (plugged_) interpret(item);
}

std::vector<SimStack::QueuedReply> SimStack::takeQueuedReplies() {
    std::vector<QueuedReply> out;
    out.reserve(pending_.size());
    for (PendingReply& p : pending_) out.push_back({p.readyAt, p.text.substr(p.pos)});
    discardPending();
    return out;
}

void SimStack::powerOnReset() {
    discardPending();
    closeFrame();
    spiHigh_ = false;
    for (int slot = 0; slot < kMaxBoards; ++slot)
        if (chips_[static_cast<std::size_t>(slot)].present) powerUp(slot);
}

void SimStack::interpret(std::string_view written) {
    std::string reply;
    bool fromBus = false;  // some of the reply was clocked in from the bus
    const auto at = [&](std::size_t i) { return i < written.size() ? written[i] : '\0'; };
    std::size_t i = 0;
    while (i < written.size()) {
        const char c = written[i];
        if (c == 'M' && at(i + 1) == 'S' && (at(i + 2) == 'x' || at(i + 2) == 'X')) {
            if (at(i + 2) == 'x') openFrame();
            else closeFrame();
            i += 3;
        } else if (c == 'M' && at(i + 1) == 'I') {
            spiHigh_ = true;  // held until the next frame opens
            i += 2;
        } else if (c == 'I' && at(i + 1) == 'Z') {
            std::string id = idText_.substr(0, kIdReplyLength);
            if (options_.padIdentification) id.resize(kIdReplyLength, ' ');
            reply += id;
            i += 2;
        } else if (frameOpen_ && (c == 'S' || c == 'T') && hexValue(at(i + 1)) >= 0 && hexValue(at(i + 2)) >= 0) {
            const auto b = static_cast<uint8_t>(hexValue(at(i + 1)) * 16 + hexValue(at(i + 2)));
            sendByte(b);
            if (c == 'T') {
                reply += byteText(b);
                fromBus = true;
            }
            i += 3;
        } else if (frameOpen_ && c == 'R') {
            reply += byteText(readByte());
            fromBus = true;
            ++i;
        } else if (frameOpen_ && c == 'X') {
            closeFrame();
            ++i;
        } else {
            ++i;  // not part of the grammar here: skipped
        }
    }
    if (!reply.empty()) queueReply(std::move(reply), replyDelayMs_ + (fromBus ? busReplyDelayMs_ : 0.0));
}

std::string SimStack::takeReply(std::size_t maxBytes, int timeoutMs) {
    std::string out;
    if (!plugged_ || maxBytes == 0) return out;
    const double now = nowMs();
    const double deadline = now + std::max(0, timeoutMs);
    double lastArrival = now;
    while (out.size() < maxBytes && !pending_.empty()) {
        PendingReply& p = pending_.front();
        if (p.readyAt > deadline) break;
        const std::size_t take = std::min(maxBytes - out.size(), p.text.size() - p.pos);
        out.append(p.text, p.pos, take);
        p.pos += take;
        pendingChars_ -= take;
        lastArrival = std::max(lastArrival, p.readyAt);
        if (p.pos == p.text.size()) pending_.pop_front();
    }
    advanceTo(out.size() < maxBytes ? deadline : lastArrival);
    return out;
}

void SimStack::discardPending() {
    pending_.clear();
    pendingChars_ = 0;
}

void SimStack::queueReply(std::string text, double delayMs) {
    // Like a full device buffer, characters beyond its size are lost.
    if (pendingChars_ + text.size() > kPendingMax) text.resize(kPendingMax - pendingChars_);
    if (text.empty()) return;
    pendingChars_ += text.size();
    pending_.push_back({nowMs() + delayMs, std::move(text)});
}

void SimStack::openFrame() {
    closeFrame();
    frameOpen_ = true;
    spiHigh_ = false;
    ++frames_;
}

void SimStack::closeFrame() {
    frameOpen_ = false;
    bus_ = Bus{};
}

// ---------------------------------------------------------------- bus transaction

void SimStack::sendByte(uint8_t b) {
    switch (bus_.phase) {
        case Phase::First:
            if (b >= 0x80 && b <= 0x8F) {
                bus_.address = b;
                bus_.target = b - 0x80;
                bus_.phase = Phase::AddressPec;
            } else {
                bus_.command = b;  // no address: broadcast
                bus_.phase = Phase::CommandPec;
            }
            break;
        case Phase::AddressPec: bus_.phase = b == pecOfByte(bus_.address) ? Phase::Command : Phase::Done; break;
        case Phase::Command:
            bus_.command = b;
            bus_.phase = Phase::CommandPec;
            break;
        case Phase::CommandPec:
            bus_.phase = Phase::Done;
            if (b == pecOfByte(bus_.command)) execute(bus_.command);
            break;
        case Phase::ConfigData:
            bus_.configData.push_back(b);
            if (bus_.configData.size() == 7) {
                applyConfig();
                bus_.phase = Phase::Done;
            }
            break;
        case Phase::Done: break;  // one command per frame; further bytes are not looked at
    }
}

// A bus that no chip drives stays high.
uint8_t SimStack::readByte() {
    if (bus_.readPos < bus_.readOut.size()) return bus_.readOut[bus_.readPos++];
    return 0xFF;
}

bool SimStack::isTarget(int slot) const {
    return chips_[static_cast<std::size_t>(slot)].present && (bus_.target < 0 || bus_.target == slot);
}

void SimStack::execute(uint8_t command) {
    serviceWatchdogs();
    for (int slot = 0; slot < kMaxBoards; ++slot)
        if (isTarget(slot)) chips_[static_cast<std::size_t>(slot)].lastValidMs = nowMs();

    if (command == WRCFG) {
        bus_.phase = Phase::ConfigData;
        return;
    }
    const int high = command >> 4;
    const int low = command & 0x0F;
    if (high == 0) {
        // Reads answer only in addressed form; broadcast reads have no defined driver.
        if (bus_.target >= 0 && isTarget(bus_.target))
            startRead(chips_[static_cast<std::size_t>(bus_.target)], command);
        return;
    }
    for (int slot = 0; slot < kMaxBoards; ++slot) {
        if (!isTarget(slot)) continue;
        Chip& chip = chips_[static_cast<std::size_t>(slot)];
        if (cdcOf(chip.cfg) == 0) continue;  // standby: the converter is off
        switch (high) {
            case 0x1: convertCells(chip, low, false, false); break;  // STCVAD
            case 0x2: convertCells(chip, low, true, false); break;   // STOWAD
            case 0x6: convertCells(chip, low, false, true); break;   // STCVDC
            case 0x7: convertCells(chip, low, true, true); break;    // STOWDC
            case 0x3: convertTemps(chip, low); break;                // STTMPAD
            default: break;                                          // polls and the diagnostic commands change nothing
        }
    }
}

void SimStack::applyConfig() {
    std::array<uint8_t, 6> cfg{};
    std::copy_n(bus_.configData.begin(), 6, cfg.begin());
    if (pecOf(cfg) != bus_.configData[6]) return;
    for (int slot = 0; slot < kMaxBoards; ++slot)
        if (isTarget(slot)) chips_[static_cast<std::size_t>(slot)].cfg = cfg;
}

void SimStack::startRead(const Chip& chip, uint8_t command) {
    std::vector<uint8_t> out = readData(chip, command);
    if (out.empty()) return;  // no register behind this code: the bus stays high
    out.push_back(pecOf(out));
    maybeCorrupt(out);
    bus_.readOut = std::move(out);
}

std::vector<uint8_t> SimStack::readData(const Chip& chip, uint8_t command) const {
    std::vector<uint8_t> out;
    const auto cells = [&](int first, int count) {
        for (int n = first; n < first + count; n += 2)
            packPair(out, chip.cellReg[static_cast<std::size_t>(n - 1)], chip.cellReg[static_cast<std::size_t>(n)]);
    };
    const bool ten = tenCells(chip.cfg);
    switch (command) {
        case RDCFG: out.assign(chip.cfg.begin(), chip.cfg.end()); break;
        case RDCV: cells(1, ten ? 10 : 12); break;
        case RDCVA: cells(1, 4); break;
        case RDCVB: cells(5, 4); break;
        case RDCVC: cells(9, ten ? 2 : 4); break;
        case RDFLG: {
            const auto f = flags(chip);
            out.assign(f.begin(), f.end());
            break;
        }
        case RDTMP:
            packPair(out, chip.tempReg[0], chip.tempReg[1]);
            out.push_back(static_cast<uint8_t>(chip.tempReg[2] & 0xFF));
            out.push_back(static_cast<uint8_t>(((chip.tempReg[2] >> 8) & 0x0F) | (chip.thermalShutdown ? 0x10 : 0)));
            break;
        default: break;
    }
    return out;
}

// Under- and over-voltage flags from the latched readings. Thresholds are compared in
// units of 0.1 mV: a cell code step is 1.5 mV, a threshold code step 24 mV.
std::array<uint8_t, 3> SimStack::flags(const Chip& chip) const {
    std::array<uint8_t, 3> f{};
    const auto& cfg = chip.cfg;
    if (cdcOf(cfg) == 0) return f;
    const int vuv = cfg[4], vov = cfg[5];
    const int cellCount = tenCells(cfg) ? 10 : 12;
    for (int n = 1; n <= cellCount; ++n) {
        if (masked(cfg, n)) continue;
        const int tenthsMv = (chip.cellReg[static_cast<std::size_t>(n - 1)] - kZeroVoltCode) * 15;
        const int bit = 2 * ((n - 1) % 4);
        auto& byte = f[static_cast<std::size_t>((n - 1) / 4)];
        if (vuv != 0 && tenthsMv < (vuv - 31) * 240) byte |= static_cast<uint8_t>(1 << bit);
        if (vov != 0 && tenthsMv > (vov - 32) * 240) byte |= static_cast<uint8_t>(1 << (bit + 1));
    }
    return f;
}

void SimStack::maybeCorrupt(std::vector<uint8_t>& reply) {
    bool corrupt = false;
    if (corruptNext_ > 0) {
        --corruptNext_;
        corrupt = true;
    } else if (corruptOneInN_ > 0) {
        corrupt = splitMix(corruptRng_) % static_cast<uint64_t>(corruptOneInN_) == 0;
    }
    if (!corrupt) return;
    // A single flipped bit is always caught by the CRC-8, so the PEC never matches.
    const std::size_t index = splitMix(corruptRng_) % reply.size();
    reply[index] ^= static_cast<uint8_t>(1u << (splitMix(corruptRng_) % 8));
}

// ---------------------------------------------------------------- conversions

void SimStack::convertCells(Chip& chip, int lowDigit, bool openWireTest, bool dischargeHeld) {
    if (const int pattern = selfTestPattern(lowDigit); pattern >= 0) {
        for (std::size_t i = 0; i < chip.cellReg.size(); ++i)
            chip.cellReg[i] = chip.cellSelfTestFault[i].value_or(pattern);
        return;
    }
    for (int n = 1; n <= kCells; ++n) {
        if (lowDigit != 0 && lowDigit != n) continue;
        const auto i = static_cast<std::size_t>(n - 1);
        if (openWireTest && chip.openWire[i]) {
            chip.cellReg[i] = std::clamp(kOpenWireCode + noiseCodes(), 0, kMaxCode);
            continue;
        }
        double volts = chip.inputVolts[i];
        if (dischargeHeld && dischargeOn(chip.cfg, n)) volts -= kDischargeDropVolts;
        chip.cellReg[i] = voltsToCode(volts);
    }
}

void SimStack::convertTemps(Chip& chip, int lowDigit) {
    if (const int pattern = selfTestPattern(lowDigit); pattern >= 0) {
        for (std::size_t k = 0; k < chip.tempReg.size(); ++k)
            chip.tempReg[k] = chip.tempSelfTestFault[k].value_or(pattern);
        return;
    }
    if (lowDigit > 3) return;  // no channel behind this digit
    for (int k = 0; k < 3; ++k)
        if (lowDigit == 0 || lowDigit == k + 1)
            chip.tempReg[static_cast<std::size_t>(k)] = voltsToCode(chip.tempVolts[static_cast<std::size_t>(k)]);
}

int SimStack::voltsToCode(double volts) {
    const long code = std::lround(volts / kVoltsPerCode) + kZeroVoltCode + noiseCodes();
    return static_cast<int>(std::clamp(code, 0L, static_cast<long>(kMaxCode)));
}

int SimStack::noiseCodes() {
    if (!options_.noise) return 0;
    return static_cast<int>(splitMix(noiseRng_) % 7) - 3;
}

// ---------------------------------------------------------------- watchdog and power

bool SimStack::watchdogExpired(const Chip& chip) const {
    return chip.present && cdcOf(chip.cfg) != 0 && nowMs() - chip.lastValidMs >= kWatchdogMs;
}

void SimStack::serviceWatchdogs() {
    for (Chip& chip : chips_)
        if (watchdogExpired(chip)) chip.cfg = kPowerOnConfig;
}

// Registers power up cleared (all ones), like after the "clear" self-test digit.
void SimStack::powerUp(int slot) {
    Chip& chip = chips_[static_cast<std::size_t>(slot)];
    chip.present = true;
    chip.cfg = kPowerOnConfig;
    chip.cellReg.fill(kMaxCode);
    chip.tempReg.fill(kMaxCode);
    chip.lastValidMs = nowMs();
}

// ---------------------------------------------------------------- clock

double SimStack::nowMs() const {
    if (manualClock_) return manualMs_;
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return offsetMs_ + std::chrono::duration<double, std::milli>(elapsed).count();
}

void SimStack::useManualClock(bool manual) {
    if (manual == manualClock_) return;
    const double now = nowMs();
    manualClock_ = manual;
    if (manual) manualMs_ = now;
    else offsetMs_ += now - nowMs();  // carry on from the same reading
}

void SimStack::advanceMs(double ms) {
    if (!std::isfinite(ms) || ms <= 0) return;
    if (manualClock_) manualMs_ += ms;
    else offsetMs_ += ms;
}

void SimStack::advanceTo(double ms) { advanceMs(ms - nowMs()); }

// ---------------------------------------------------------------- faults and inspection

const SimStack::Chip* SimStack::chipAt(int slot) const {
    return slot >= 0 && slot < kMaxBoards ? &chips_[static_cast<std::size_t>(slot)] : nullptr;
}

SimStack::Chip* SimStack::chipAt(int slot) {
    return slot >= 0 && slot < kMaxBoards ? &chips_[static_cast<std::size_t>(slot)] : nullptr;
}

void SimStack::setBoardPresent(int slot, bool present) {
    Chip* chip = chipAt(slot);
    if (!chip || chip->present == present) return;
    if (present) powerUp(slot);
    else chip->present = false;
}

void SimStack::setCellVolts(int slot, int cell1to12, double volts) {
    Chip* chip = chipAt(slot);
    if (chip && cell1to12 >= 1 && cell1to12 <= kCells && std::isfinite(volts))
        chip->inputVolts[static_cast<std::size_t>(cell1to12 - 1)] = volts;
}

void SimStack::setTempVolts(int slot, int channel, double volts) {
    Chip* chip = chipAt(slot);
    if (chip && channel >= 0 && channel < 3 && std::isfinite(volts))
        chip->tempVolts[static_cast<std::size_t>(channel)] = volts;
}

void SimStack::setOpenWire(int slot, int cell1to12, bool open) {
    Chip* chip = chipAt(slot);
    if (chip && cell1to12 >= 1 && cell1to12 <= kCells) chip->openWire[static_cast<std::size_t>(cell1to12 - 1)] = open;
}

void SimStack::setThermalShutdown(int slot, bool on) {
    if (Chip* chip = chipAt(slot)) chip->thermalShutdown = on;
}

namespace {
std::optional<int> faultCode(int code) {
    if (code < 0 || code > kMaxCode) return std::nullopt;
    return code;
}
}  // namespace

void SimStack::setSelfTestFault(int slot, int cell1to12, int code) {
    Chip* chip = chipAt(slot);
    if (chip && cell1to12 >= 1 && cell1to12 <= kCells)
        chip->cellSelfTestFault[static_cast<std::size_t>(cell1to12 - 1)] = faultCode(code);
}

void SimStack::setSelfTestTempFault(int slot, int channel, int code) {
    Chip* chip = chipAt(slot);
    if (chip && channel >= 0 && channel < 3)
        chip->tempSelfTestFault[static_cast<std::size_t>(channel)] = faultCode(code);
}

void SimStack::setPlugged(bool plugged) {
    if (plugged == plugged_) return;
    plugged_ = plugged;
    // The controller loses power: nothing it held survives, the chips keep theirs.
    discardPending();
    closeFrame();
    spiHigh_ = false;
}

void SimStack::setReplyDelayMs(double ms) { replyDelayMs_ = std::isfinite(ms) && ms > 0 ? ms : 0.0; }

void SimStack::setBusReplyDelayMs(double ms) { busReplyDelayMs_ = std::isfinite(ms) && ms > 0 ? ms : 0.0; }

void SimStack::corruptNextReplies(int n) { corruptNext_ = std::max(0, n); }

void SimStack::setPecCorruptionRate(int oneInN, uint32_t seed) {
    corruptOneInN_ = std::max(0, oneInN);
    corruptRng_ = seed;
}

std::array<uint8_t, 6> SimStack::config(int slot) const {
    const Chip* chip = chipAt(slot);
    if (!chip) return {};
    return watchdogExpired(*chip) ? kPowerOnConfig : chip->cfg;
}

int SimStack::cellCode(int slot, int cell1to12) const {
    const Chip* chip = chipAt(slot);
    if (!chip || cell1to12 < 1 || cell1to12 > kCells) return -1;
    return chip->cellReg[static_cast<std::size_t>(cell1to12 - 1)];
}

int SimStack::tempCode(int slot, int channel) const {
    const Chip* chip = chipAt(slot);
    if (!chip || channel < 0 || channel > 2) return -1;
    return chip->tempReg[static_cast<std::size_t>(channel)];
}

bool SimStack::boardPresent(int slot) const {
    const Chip* chip = chipAt(slot);
    return chip && chip->present;
}

bool SimStack::inStandby(int slot) const { return cdcOf(config(slot)) == 0; }

}  // namespace zmx::sim
