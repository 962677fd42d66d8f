#pragma once
// Reads recordings back: the list, a recording's context, its reads in row order (for
// replay and export, also while a writer is still adding to it) and its configuration
// writes. Never changes the database. One reader belongs to the thread that opened it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "record/RecordTypes.h"

namespace zmx {

class RecordReader {
public:
    // Null and *error set when the target is missing, not a recording database, or of a
    // schema version this program cannot read.
    static std::unique_ptr<RecordReader> open(const std::string& target, std::string* error);
    ~RecordReader();

    // Opens the connection afresh (after the server restarted or the file was locked);
    // false with the reason while the database does not answer.
    bool reconnect(std::string* error);

    int schemaVersion() const;
    // The last query failure in words ("" when none).
    const std::string& lastError() const;

    // Every recording, oldest first. A recording found open whose writer holds no lock any
    // more shows as Interrupted.
    std::vector<RecordingInfo> list();
    // The most recent recording; nothing when the database holds none.
    std::optional<int64_t> latestId();
    std::optional<RecordingInfo> info(int64_t id);
    std::optional<RecordingContext> context(int64_t id);
    // Up to limit reads of the recording whose row id is greater than afterRow, in row
    // order. --follow polls with the last row id it printed.
    std::vector<StoredRead> reads(int64_t id, int64_t afterRow, int limit);
    // The same reads with only what an exported table row is made of: time, slot, address,
    // kind, the cells carried with codes and volts, flag bytes, temperature codes and volts,
    // configuration bytes, cell status codes and PEC verdict. Request, reply, command, data
    // bytes, PEC values, round trip and lamp stay empty. Codes and bytes are taken as 0..65535.
    std::vector<StoredRead> readValues(int64_t id, int64_t afterRow, int limit);
    std::vector<StoredConfigWrite> configWrites(int64_t id);

    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

private:
    struct Impl;
    explicit RecordReader(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d_;
};

}  // namespace zmx
