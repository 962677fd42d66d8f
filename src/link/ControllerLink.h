#pragma once
// The transfers the window makes with the controller, each one open to close:
// SendOnly, SendAndReceive, Identify, SendLowCurrentStandby and CloseOpenFrame.

#include <cstddef>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "link/LinkBackend.h"

namespace zmx {

inline constexpr int kTransferTimeoutMs = 1000;  // ordinary transfers, read and write
inline constexpr int kIdentReadTimeoutMs = 200;
inline constexpr int kIdentWriteTimeoutMs = 50;
inline constexpr std::size_t kIdentReplyMax = 50;
inline constexpr std::size_t kReplyBufferMax = 512;
// Bound for reading back the echo characters a write-only frame with "T" items produces.
inline constexpr int kEchoDrainTimeoutMs = 30;

class ControllerLink {
public:
    explicit ControllerLink(std::unique_ptr<LinkBackend> backend);

    // Writes one line per transfer (time, operation, request, reply) to the file.
    bool openTrace(const std::string& path);

    void SendOnly(std::string_view text);
    std::string SendAndReceive(std::string_view text, std::size_t replyChars);
    // One identification exchange: "IZ" out, up to 50 characters back.
    std::string Identify();
    void SendLowCurrentStandby();
    void CloseOpenFrame();

    LinkBackend& backend() { return *backend_; }
    std::size_t transferCount() const { return transfers_; }

private:
    bool begin(int readMs, int writeMs);
    void trace(std::string_view op, std::string_view request, std::string_view reply);

    std::unique_ptr<LinkBackend> backend_;
    std::ofstream traceFile_;
    std::size_t transfers_ = 0;
};

}  // namespace zmx
