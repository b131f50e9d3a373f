#pragma once
struct sqlite3;

namespace cw {

// date() (today's local date from the program's clock, as yyyy-MM-dd), month(x) and day(x), so the
// statements that date a row by the engine's own clock run as written.
int registerEngineFunctions(sqlite3* db);

} // namespace cw
