#pragma once
// A read or a configuration write as the values of a table row, and back.

#include <QSqlQuery>
#include <array>
#include <cstdint>
#include <string>

#include "session/ReadEvents.h"

namespace zmx::store {

// "E1 00 00 00 00 00"
std::string bytesText(const uint8_t* bytes, std::size_t n);
// The bytes of a text of hex pairs; blanks between pairs are optional.
std::vector<uint8_t> bytesOfText(const std::string& text);

// Binds the values of the prepared insertReadSql() / insertWriteSql().
// readId from readId(); requestId is the row of request_texts holding r.request.
void bindRead(QSqlQuery& q, int64_t readId, int64_t recordingId, int64_t requestId, const BoardRead& r);
void bindWrite(QSqlQuery& q, int64_t recordingId, const ConfigWrite& w);

// The twelve cell status codes (0..7), three bits each, cell 1 lowest.
uint64_t packStatus(const std::array<int16_t, 12>& codes);
std::array<int16_t, 12> unpackStatus(uint64_t packed);

// "SELECT r.id, <columns> FROM reads r ..." (the request text in place of its id; "r." names
// the reads' own columns in a WHERE) / "SELECT id, ... FROM config_writes"; a row of it back.
QString selectReadsSql();
QString selectWritesSql();
BoardRead readOfRow(const QSqlQuery& q, int64_t* rowId);
// The columns a table row of an export is made of, for the same WHERE; a row of it back as
// a read without request, reply, command, data bytes, PECs and round trip.
QString selectValuesSql();
BoardRead valuesOfRow(const QSqlQuery& q, int64_t* rowId);
ConfigWrite writeOfRow(const QSqlQuery& q, int64_t* rowId);

}  // namespace zmx::store
