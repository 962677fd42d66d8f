#pragma once
// The transfers the window makes with the controller: SendOnly, SendAndReceive, Identify,
// SendLowCurrentStandby and CloseOpenFrame. The device stays open between them; a transfer
// that finds it closed opens it, and one that fails closes it so the next one opens afresh
// (a controller unplugged and plugged in again is found again this way).

#include <cstddef>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "link/LinkBackend.h"

namespace zmx {

inline constexpr int kTransferTimeoutMs = 1000;  // ordinary transfers, read and write
inline constexpr int kIdentReadTimeoutMs = 200;
inline constexpr int kIdentWriteTimeoutMs = 50;
inline constexpr std::size_t kIdentReplyMax = 50;
inline constexpr std::size_t kReplyBufferMax = 512;

class ControllerLink {
public:
    explicit ControllerLink(std::unique_ptr<LinkBackend> backend);

    // Writes one line per transfer (time, operation, request, reply) to the file.
    bool openTrace(const std::string& path);

    void SendOnly(std::string_view text);
    std::string SendAndReceive(std::string_view text, std::size_t replyChars);

    // Several read frames in one write: their texts go out together and their replies, back
    // to back, are read with one count (at most kReplyBufferMax characters a write). The
    // following SendAndReceive calls of the same texts, in the same order, take their part of
    // it without a transfer; any other transfer drops what is left. The controller is not
    // known to accept several frames in one text, so only an option asks for this.
    void prefetchReplies(const std::vector<std::pair<std::string, std::size_t>>& exchanges);
    // One identification exchange: "IZ" out, up to 50 characters back. The controller's text
    // has a length of its own, so the reply is complete once no character has come for a
    // quiet gap (two latency periods) after the first; never later than the 200 ms.
    std::string Identify();
    void SendLowCurrentStandby();
    void CloseOpenFrame();

    // A line of its own in the trace (a lost controller, its return) between the transfers.
    void traceNote(std::string_view op, std::string_view text);

    // Another device for the same controller (its tty came back under a new name); the old
    // backend is closed and dropped.
    void replaceBackend(std::unique_ptr<LinkBackend> backend);

    LinkBackend& backend() { return *backend_; }
    const LinkBackend& backend() const { return *backend_; }
    std::size_t transferCount() const { return transfers_; }

private:
    bool begin(int readMs, int writeMs);
    // Closes the device after a write that did not go out whole or a reply that never came.
    void closeUnless(bool ok);
    // After a reply that did not come whole, its late characters may still be on the wire;
    // they are taken and dropped until the line has been quiet for a while, so they cannot
    // start the next reply (a purge only drops what has already arrived).
    void settleLateReply();
    void trace(std::string_view op, std::string_view request, std::string_view reply);

    std::unique_ptr<LinkBackend> backend_;
    std::ofstream traceFile_;
    std::size_t transfers_ = 0;
    bool replyCutShort_ = false;  // the last read ended before its reply was whole
    struct Prefetched {
        std::string request, reply;
    };
    std::deque<Prefetched> prefetched_;
};

}  // namespace zmx
