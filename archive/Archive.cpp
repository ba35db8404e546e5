// SPDX-License-Identifier: MIT
#include "archive/Archive.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {
constexpr int SchemaVersion = 1;
constexpr int ApplicationId = 0x436f7276; // "Corv"
constexpr int BusyTimeoutMs = 30000;
constexpr qint64 SameMeasurementS = 3600;
const QByteArray SqliteMagic("SQLite format 3\0", 16);

// The index by frequency holds every column the history reads, so that years of
// one frequency are read from it alone; it replaces the narrower index of the
// first archives.
const char *const Schema[] = {
    "CREATE TABLE IF NOT EXISTS flux ("
    " station TEXT NOT NULL, time_s INTEGER NOT NULL, mhz INTEGER NOT NULL,"
    " series TEXT NOT NULL, sfu REAL, quality TEXT, origin TEXT NOT NULL,"
    " time_text TEXT NOT NULL, PRIMARY KEY (station, mhz, series, time_s)) WITHOUT ROWID",
    "DROP INDEX IF EXISTS flux_by_frequency",
    "CREATE INDEX IF NOT EXISTS flux_by_frequency_covering"
    " ON flux (mhz, series, time_s, station, origin, sfu, quality)",
};

const char *const Pragmas[] = {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = NORMAL"};
const char *const Begin[] = {"BEGIN IMMEDIATE"};
const char *const Commit[] = {"COMMIT"};

const char Upsert[] =
    "INSERT INTO flux (station, time_s, mhz, series, sfu, quality, origin, time_text)"
    " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"
    " ON CONFLICT (station, mhz, series, time_s) DO UPDATE SET sfu = excluded.sfu,"
    " quality = excluded.quality, origin = excluded.origin, time_text = excluded.time_text"
    " WHERE sfu IS NOT excluded.sfu OR quality IS NOT excluded.quality"
    " OR origin IS NOT excluded.origin";

// A text product's value counts only when no other origin measured the same
// station and frequency within the hour.
const char Selected[] =
    "SELECT station, time_s, mhz, sfu, quality, origin FROM flux AS f"
    " WHERE series = :series AND time_s BETWEEN :from AND :to %1"
    " AND NOT (origin = 'text' AND EXISTS (SELECT 1 FROM flux AS g"
    " WHERE g.station = f.station AND g.mhz = f.mhz AND g.series = f.series"
    " AND g.origin <> 'text' AND g.time_s BETWEEN f.time_s - :near AND f.time_s + :near))"
    " ORDER BY mhz, time_s, station";

// A prepared statement, finalized when it goes out of scope.
class Statement
{
public:
    Statement(sqlite3 *db, const QByteArray &sql)
    {
        sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    explicit operator bool() const { return statement != nullptr; }
    sqlite3_stmt *operator*() const { return statement; }

    void bindText(int index, const QByteArray &text) const
    {
        sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_STATIC);
    }
    // For the names of series and origins, which live as long as the program.
    void bindText(int index, const char *name) const
    {
        sqlite3_bind_text(statement, index, name, -1, SQLITE_STATIC);
    }
    void bindInteger(const char *name, qint64 value) const
    {
        sqlite3_bind_int64(statement, sqlite3_bind_parameter_index(statement, name), value);
    }
    QByteArray text(int column) const
    {
        return QByteArray::fromRawData(
            reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
            sqlite3_column_bytes(statement, column));
    }

private:
    sqlite3_stmt *statement = nullptr;
};

QString errorOf(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// Another connection holds the lock.
bool isBusy(sqlite3 *db)
{
    return sqlite3_errcode(db) == SQLITE_BUSY;
}

template <typename Statements>
bool execAll(sqlite3 *db, const Statements &statements, QString &error)
{
    for (const char *statement : statements)
        if (sqlite3_exec(db, statement, nullptr, nullptr, nullptr) != SQLITE_OK) {
            error = errorOf(db);
            return false;
        }
    return true;
}

void rollBack(sqlite3 *db)
{
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

// The first column of a statement's first row.
std::optional<QString> firstValue(sqlite3 *db, const char *sql, QString &error)
{
    const Statement statement(db, sql);
    if (!statement || sqlite3_step(*statement) != SQLITE_ROW) {
        error = errorOf(db);
        return std::nullopt;
    }
    return QString::fromUtf8(statement.text(0));
}

std::optional<qint64> rowCount(sqlite3 *db, QString &error)
{
    const std::optional<QString> rows = firstValue(db, "SELECT count(*) FROM flux", error);
    return rows ? std::optional<qint64>(rows->toLongLong()) : std::nullopt;
}

using Connection = std::unique_ptr<sqlite3, CloseConnection>;

// Never through a link, even one planted after the file was looked at.
Connection openFile(const QString &path, int flags, QString &error)
{
    sqlite3 *db = nullptr;
    const int opened = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                       flags | SQLITE_OPEN_NOFOLLOW, nullptr);
    Connection connection(db); // a handle that failed to open is closed too
    if (opened != SQLITE_OK) {
        error = errorOf(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    return connection;
}

Origin originNamed(const QByteArray &name)
{
    for (const Origin origin : {Origin::Json, Origin::FluxTable})
        if (name == OriginName(origin))
            return origin;
    return Origin::Text;
}

// The few station names and quality flags of an archive, each made a QString
// once and then shared by every value that carries it.
QString interned(QHash<QByteArray, QString> &known, const QByteArray &text)
{
    const auto found = known.constFind(text);
    if (found != known.constEnd())
        return *found;
    return *known.insert(QByteArray(text.constData(), text.size()), QString::fromUtf8(text));
}

std::optional<qint64> secondsOf(const QString &timeUtc)
{
    const QDateTime time = QDateTime::fromString(timeUtc, Qt::ISODate);
    if (!time.isValid())
        return std::nullopt;
    return time.toSecsSinceEpoch();
}

// The values come a frequency at a time, each in time order as the index holds
// them, so that SQLite never sorts; merged here into one time order.
void mergeFrequencies(QList<StoredValue> &values)
{
    const auto before = [](const StoredValue &a, const StoredValue &b) {
        return std::tie(a.timeS, a.station, a.mhz) < std::tie(b.timeS, b.station, b.mhz);
    };
    for (auto run = values.begin(); run != values.end();) {
        const int mhz = run->mhz;
        const auto end =
            std::find_if(run, values.end(), [mhz](const StoredValue &v) { return v.mhz != mhz; });
        if (!std::is_sorted(run, end, before)) // names that SQLite orders otherwise than Qt
            std::sort(run, end, before);
        std::inplace_merge(values.begin(), run, end, before);
        run = end;
    }
}

// Writes every dated value, counting those written and those that changed a row;
// false with SQLite's reason when one cannot be written.
bool upsertAll(sqlite3 *db, const QList<Observation> &observations, StoreCounts &counts,
               qsizetype &written, qsizetype &changed, QString &error)
{
    const Statement upsert(db, Upsert);
    if (!upsert) {
        error = errorOf(db);
        return false;
    }
    for (const Observation &observation : observations) {
        const std::optional<qint64> time = secondsOf(observation.timeUtc);
        counts.undated += time ? 0 : 1;
        if (!time)
            continue;
        const QByteArray station = observation.station.toUtf8();
        const QByteArray timeText = observation.timeText.toUtf8();
        for (const ObservedFlux &flux : observation.fluxes) {
            const QByteArray quality = flux.quality.toUtf8();
            upsert.bindText(1, station);
            sqlite3_bind_int64(*upsert, 2, *time);
            sqlite3_bind_int(*upsert, 3, flux.mhz);
            upsert.bindText(4, SeriesName(observation.series));
            if (flux.sfu)
                sqlite3_bind_double(*upsert, 5, *flux.sfu);
            else
                sqlite3_bind_null(*upsert, 5);
            if (quality.isEmpty())
                sqlite3_bind_null(*upsert, 6);
            else
                upsert.bindText(6, quality);
            upsert.bindText(7, OriginName(observation.origin));
            upsert.bindText(8, timeText);
            if (sqlite3_step(*upsert) != SQLITE_DONE) {
                error = errorOf(db);
                return false;
            }
            changed += sqlite3_changes(db);
            ++written;
            sqlite3_reset(*upsert); // values are bound only to a statement at its start
        }
    }
    return true;
}

// Whether the file's first bytes are those of an SQLite database; an empty file
// is a new one.
bool looksLikeSqlite(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    const QByteArray start = file.read(SqliteMagic.size());
    if (!start.isEmpty() && start != SqliteMagic) {
        error = "it is not a Corvaline archive (not an SQLite database)";
        return false;
    }
    return true;
}

// Whether every page is checked before the archive is used: before it is written,
// so that a damaged file is left as it is; a read meets a damaged page itself.
enum class Check { EveryPage, Header };

// Why an SQLite file is not an archive this Corvaline may use, or nothing.
QString refusal(sqlite3 *db, Check check)
{
    QString error;
    const std::optional<QString> pages =
        check == Check::EveryPage ? firstValue(db, "PRAGMA quick_check", error) : QString("ok");
    if (!pages)
        return "it is damaged or not an SQLite database: " + error;
    if (*pages != "ok")
        return "it is damaged: " + *pages;
    const std::optional<QString> application = firstValue(db, "PRAGMA application_id", error);
    const std::optional<QString> version = firstValue(db, "PRAGMA user_version", error);
    const std::optional<QString> tables =
        firstValue(db, "SELECT count(*) FROM sqlite_schema", error);
    if (!application || !version || !tables)
        return "it cannot be read: " + error;
    if (tables->toLongLong() > 0 && application->toInt() != ApplicationId)
        return "it is not a Corvaline archive";
    if (version->toInt() > SchemaVersion)
        return QString("it was written by a newer Corvaline (archive version %1; this one "
                       "reads version %2)")
            .arg(*version)
            .arg(SchemaVersion);
    return {};
}

// Looks at an existing file through a read-only connection, so that a file that
// is refused is left byte for byte as it was.
bool inspect(const QString &path, Check check, QString &error)
{
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return true; // a new archive
    if (S_ISLNK(status.st_mode)) {
        error = "it is a link; an archive is never opened through one";
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        error = "it is not a regular file";
        return false;
    }
    if (!looksLikeSqlite(path, error) || status.st_size == 0)
        return error.isEmpty();
    const Connection db = openFile(path, SQLITE_OPEN_READONLY, error);
    if (!db) {
        error = "it is damaged or not an SQLite database: " + error;
        return false;
    }
    error = refusal(db.get(), check);
    return error.isEmpty();
}
// Whether the archive is ready, or another archiver holds the lock it needs.
enum class Prepared { Ready, Busy, Failed };

// WAL lets readers go on while a product is stored; the schema is made once,
// under the write lock, however many archivers start together.
Prepared prepareSchema(sqlite3 *db, QString &error)
{
    if (!execAll(db, Pragmas, error) || !execAll(db, Begin, error))
        return isBusy(db) ? Prepared::Busy : Prepared::Failed;
    const QByteArray marks = QString("PRAGMA application_id = %1; PRAGMA user_version = %2")
                                 .arg(ApplicationId)
                                 .arg(SchemaVersion)
                                 .toLatin1();
    const char *const markStatements[] = {marks.constData()};
    // A failure leaves the transaction to the connection's close, which rolls it back.
    return execAll(db, Schema, error) && execAll(db, markStatements, error) &&
                   execAll(db, Commit, error)
               ? Prepared::Ready
               : Prepared::Failed;
}
} // namespace

void CloseConnection::operator()(sqlite3 *db) const
{
    sqlite3_close(db);
}

QString Archive::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           "/corvaline/archive.sqlite";
}

bool Archive::MakeDefaultFolder(QString &error)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QByteArray folder = QFile::encodeName(data + "/corvaline");
    if (!QFileInfo(data).isDir() && !QDir().mkpath(data)) {
        error = "cannot create " + data;
        return false;
    }
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + QFile::decodeName(folder) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool Archive::open(const QString &path, QString &error)
{
    Connection connection;
    if (!inspect(path, Check::EveryPage, error) ||
        !(connection = openFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error))) {
        error = path + ": " + error;
        return false;
    }
    // Switching a new file to WAL needs the file to itself: another archiver that
    // is storing makes SQLite answer "busy" at once, without waiting.
    QElapsedTimer waited;
    waited.start();
    Prepared prepared = Prepared::Failed;
    QString problem;
    while ((prepared = prepareSchema(connection.get(), problem)) == Prepared::Busy &&
           waited.elapsed() < BusyTimeoutMs)
        QThread::msleep(20);
    if (prepared != Prepared::Ready) {
        error = path + ": " + problem;
        return false;
    }
    db = std::move(connection);
    return true;
}

bool Archive::openChosen(const QString &path, QString &error)
{
    if (!path.isEmpty())
        return open(path, error);
    return MakeDefaultFolder(error) && open(DefaultPath(), error);
}

bool Archive::openToRead(const QString &path, QString &error)
{
    const QString file = path.isEmpty() ? DefaultPath() : path;
    QFileInfo info(file);
    if (!info.isSymLink() && (!info.exists() || (info.isFile() && info.size() == 0))) {
        error = file + ": there is no archive yet; corvaline-report --archive or --import fills it";
        return false;
    }
    if (!inspect(file, Check::Header, error) ||
        !(db = openFile(file, SQLITE_OPEN_READONLY, error))) {
        error = file + ": " + error;
        return false;
    }
    return true;
}

bool Archive::store(const QList<Observation> &observations, StoreCounts &counts, QString &error)
{
    counts = StoreCounts();
    if (!execAll(db.get(), Begin, error))
        return false;
    qsizetype written = 0, changed = 0;
    std::optional<qint64> before, after;
    if ((before = rowCount(db.get(), error)) &&
        upsertAll(db.get(), observations, counts, written, changed, error) &&
        (after = rowCount(db.get(), error)) && execAll(db.get(), Commit, error)) {
        counts.added = *after - *before;
        counts.revised = changed - counts.added;
        counts.unchanged = written - changed;
        return true;
    }
    rollBack(db.get());
    return false;
}

bool Archive::select(const Selection &selection, QList<StoredValue> &values, QString &error)
{
    QString filter;
    if (!selection.station.isEmpty())
        filter += " AND station = :station COLLATE NOCASE";
    QStringList frequencies;
    for (const int mhz : selection.mhz)
        frequencies << QString::number(mhz);
    if (!frequencies.isEmpty())
        filter += " AND mhz IN (" + frequencies.join(',') + ')';
    const Statement query(db.get(), QString::fromLatin1(Selected).arg(filter).toUtf8());
    if (!query) {
        error = errorOf(db.get());
        return false;
    }
    const QByteArray station = selection.station.toUtf8();
    query.bindText(sqlite3_bind_parameter_index(*query, ":series"), SeriesName(selection.series));
    query.bindInteger(":from", selection.from.toSecsSinceEpoch());
    query.bindInteger(":to", selection.to.toSecsSinceEpoch());
    query.bindInteger(":near", SameMeasurementS);
    if (!selection.station.isEmpty())
        query.bindText(sqlite3_bind_parameter_index(*query, ":station"), station);
    QHash<QByteArray, QString> stations, qualities;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(*query)) == SQLITE_ROW) {
        StoredValue value;
        value.station = interned(stations, query.text(0));
        value.timeS = sqlite3_column_int64(*query, 1);
        value.mhz = sqlite3_column_int(*query, 2);
        if (sqlite3_column_type(*query, 3) != SQLITE_NULL)
            value.sfu = sqlite3_column_double(*query, 3);
        value.quality = interned(qualities, query.text(4));
        value.origin = originNamed(query.text(5));
        values << value;
    }
    if (step != SQLITE_DONE) {
        error = errorOf(db.get());
        return false;
    }
    mergeFrequencies(values);
    return true;
}
