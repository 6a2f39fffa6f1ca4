#include "weather/weewx_archive.h"

#include <sqlite3.h>

#include <map>
#include <memory>

#include "base/lang_string.h"
#include "base/string_ids.h"

namespace {

// WeeWX commits every archive interval; a reader waits this long for it, then gives up.
constexpr int kBusyWaitMs = 500;

constexpr std::int64_t kHour = 60 * 60;
constexpr std::int64_t kDay = 24 * kHour;

struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// The units a row's usUnits names: 1 US, 16 METRIC (rain in cm), 17 METRICWX.
struct ArchiveUnits {
    bool fahrenheit;
    double hpaPerUnit;
    double kmhPerUnit;
    double mmPerUnit;
};

std::optional<ArchiveUnits> unitsOf(std::int64_t usUnits) {
    switch (usUnits) {
        case 1:
            return ArchiveUnits{true, inHgToHpa(1.0), mphToKmh(1.0), inchToMm(1.0)};
        case 16:
            return ArchiveUnits{false, 1.0, 1.0, 10.0};
        case 17:
            return ArchiveUnits{false, 1.0, metresPerSecondToKmh(1.0), 1.0};
        default:
            return std::nullopt;
    }
}

class Archive {
  public:
    explicit Archive(const std::string& path) {
        sqlite3* db = nullptr;
        // Read-only and never creating: a reader must not take WeeWX's write lock.
        m_status = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        m_db.reset(db);
        if (m_status == SQLITE_OK) {
            sqlite3_busy_timeout(db, kBusyWaitMs);
        }
    }

    int Status() const { return m_status; }

    Statement Prepare(const char* sql) {
        sqlite3_stmt* statement = nullptr;
        m_status = sqlite3_prepare_v2(m_db.get(), sql, -1, &statement, nullptr);
        return Statement(statement);
    }

    // Steps once; false at the end or on an error, which Status then holds.
    bool Step(sqlite3_stmt* statement) {
        m_status = sqlite3_step(statement);
        return m_status == SQLITE_ROW;
    }

  private:
    std::unique_ptr<sqlite3, DatabaseCloser> m_db;
    int m_status = SQLITE_OK;
};

std::string problemOf(int status) {
    int primary = status & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        return LangString(kTextDatabaseLocked);
    }
    if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) {
        return LangString(kTextNotADatabase);
    }
    return sqlite3_errstr(status);
}

std::optional<double> columnValue(sqlite3_stmt* row, const std::map<std::string, int>& columns,
                                  const char* name) {
    auto it = columns.find(name);
    if (it == columns.end() || sqlite3_column_type(row, it->second) == SQLITE_NULL) {
        return std::nullopt;
    }
    return sqlite3_column_double(row, it->second);
}

// A sum of rain or a pressure; missing when no row has one.
std::optional<double> singleValue(Archive& archive, const char* sql, std::int64_t from,
                                  std::int64_t to) {
    Statement statement = archive.Prepare(sql);
    if (!statement) {
        return std::nullopt;
    }
    sqlite3_bind_int64(statement.get(), 1, from);
    sqlite3_bind_int64(statement.get(), 2, to);
    if (!archive.Step(statement.get()) || sqlite3_column_type(statement.get(), 0) == SQLITE_NULL) {
        return std::nullopt;
    }
    return sqlite3_column_double(statement.get(), 0);
}

}  // namespace

bool looksLikeSqliteDatabase(std::string_view head) {
    return head.starts_with(std::string_view("SQLite format 3\0", 16));
}

ArchiveReadings readWeeWXArchive(const std::string& path) {
    ArchiveReadings result;
    std::string& error = result.parsed.error;
    Archive archive(path);
    if (archive.Status() != SQLITE_OK) {
        error = problemOf(archive.Status());
        return result;
    }
    // dateTime is the table's key, so the newest row is found at once however long it is.
    Statement newest = archive.Prepare("SELECT * FROM archive ORDER BY dateTime DESC LIMIT 1");
    if (!newest) {
        int status = archive.Status();
        error =
            (status & 0xff) == SQLITE_ERROR ? LangString(kTextNoArchiveTable) : problemOf(status);
        return result;
    }
    if (!archive.Step(newest.get())) {
        error = archive.Status() == SQLITE_DONE ? LangString(kTextArchiveEmpty)
                                                : problemOf(archive.Status());
        return result;
    }
    std::map<std::string, int> columns;
    for (int i = 0; i < sqlite3_column_count(newest.get()); ++i) {
        columns[sqlite3_column_name(newest.get(), i)] = i;
    }
    sqlite3_stmt* row = newest.get();
    std::optional<double> usUnits = columnValue(row, columns, "usUnits");
    std::optional<ArchiveUnits> units =
        usUnits ? unitsOf(static_cast<std::int64_t>(*usUnits)) : std::nullopt;
    if (!units) {
        error = LangString(kTextUnknownArchiveUnits);
        return result;
    }
    auto time = static_cast<std::int64_t>(columnValue(row, columns, "dateTime").value_or(0));

    auto temperature = [&](const char* name) -> std::optional<double> {
        auto value = columnValue(row, columns, name);
        return value && units->fahrenheit ? std::optional(fahrenheitToCelsius(*value)) : value;
    };
    auto scaled = [&](std::optional<double> value, double factor) -> std::optional<double> {
        return value ? std::optional(*value * factor) : value;
    };
    StationReadings& r = result.parsed.readings;
    r.time = time;
    r.outdoorTemperature = temperature("outTemp");
    r.indoorTemperature = temperature("inTemp");
    r.outdoorHumidity = columnValue(row, columns, "outHumidity");
    r.indoorHumidity = columnValue(row, columns, "inHumidity");
    r.pressureAbsolute = scaled(columnValue(row, columns, "pressure"), units->hpaPerUnit);
    r.pressureRelative = scaled(columnValue(row, columns, "barometer"), units->hpaPerUnit);
    r.windDirection = columnValue(row, columns, "windDir");
    r.windSpeed = scaled(columnValue(row, columns, "windSpeed"), units->kmhPerUnit);
    r.dewpoint = temperature("dewpoint");
    r.windchill = temperature("windchill");
    newest.reset();

    const char* rainSum = "SELECT SUM(rain) FROM archive WHERE dateTime > ?1 AND dateTime <= ?2";
    r.rain1h = scaled(singleValue(archive, rainSum, time - kHour, time), units->mmPerUnit);
    r.rain24h = scaled(singleValue(archive, rainSum, time - kDay, time), units->mmPerUnit);
    if (r.pressureRelative) {
        std::optional<double> before = scaled(
            singleValue(archive,
                        "SELECT barometer FROM archive WHERE dateTime >= ?1 AND dateTime < ?2 "
                        "AND barometer IS NOT NULL ORDER BY dateTime LIMIT 1",
                        time - kHistorySeconds, time),
            units->hpaPerUnit);
        result.states = statesOf(*r.pressureRelative, before, std::nullopt);
    }
    int status = archive.Status() & 0xff;
    if (status == SQLITE_BUSY || status == SQLITE_LOCKED) {
        error = problemOf(status);
    }
    return result;
}
