#pragma once
// A read or a configuration write as the values of a table row, and back.

#include <QSqlQuery>
#include <cstdint>
#include <string>

#include "session/ReadEvents.h"

namespace zmx::store {

// "E1 00 00 00 00 00"
std::string bytesText(const uint8_t* bytes, std::size_t n);
// The bytes of a text of hex pairs; blanks between pairs are optional.
std::vector<uint8_t> bytesOfText(const std::string& text);

// Binds the values of the prepared insertReadSql() / insertWriteSql().
void bindRead(QSqlQuery& q, int64_t recordingId, const BoardRead& r);
void bindWrite(QSqlQuery& q, int64_t recordingId, const ConfigWrite& w);

// "SELECT id, <columns> FROM reads" / "... FROM config_writes"; a row of it back.
QString selectReadsSql();
QString selectWritesSql();
BoardRead readOfRow(const QSqlQuery& q, int64_t* rowId);
ConfigWrite writeOfRow(const QSqlQuery& q, int64_t* rowId);

}  // namespace zmx::store
