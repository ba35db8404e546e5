// SPDX-License-Identifier: MIT
#include "archive/Archive.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>
#include <QVariant>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {
constexpr int SchemaVersion = 1;
constexpr int ApplicationId = 0x436f7276; // "Corv"
constexpr int BusyTimeoutMs = 30000;
constexpr qint64 SameMeasurementS = 3600;
const QByteArray SqliteMagic("SQLite format 3\0", 16);

const char *const Schema[] = {
    "CREATE TABLE IF NOT EXISTS flux ("
    " station TEXT NOT NULL, time_s INTEGER NOT NULL, mhz INTEGER NOT NULL,"
    " series TEXT NOT NULL, sfu REAL, quality TEXT, origin TEXT NOT NULL,"
    " time_text TEXT NOT NULL, PRIMARY KEY (station, mhz, series, time_s)) WITHOUT ROWID",
    "CREATE INDEX IF NOT EXISTS flux_by_frequency ON flux (mhz, series, time_s)",
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
    " ORDER BY time_s, station, mhz";

QString sqlError(const QSqlError &error)
{
    return error.text().trimmed();
}

QVariant nullable(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

Origin originNamed(const QString &name)
{
    for (const Origin origin : {Origin::Json, Origin::FluxTable})
        if (name == QLatin1String(OriginName(origin)))
            return origin;
    return Origin::Text;
}

std::optional<qint64> secondsOf(const QString &timeUtc)
{
    const QDateTime time = QDateTime::fromString(timeUtc, Qt::ISODate);
    if (!time.isValid())
        return std::nullopt;
    return time.toSecsSinceEpoch();
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

// SQLITE_BUSY and SQLITE_LOCKED: another connection holds the lock.
bool isBusy(const QSqlError &error)
{
    return error.nativeErrorCode() == "5" || error.nativeErrorCode() == "6";
}

template <typename Statements>
bool execAll(QSqlQuery &query, const Statements &statements, QString &error)
{
    for (const char *statement : statements)
        if (!query.exec(QString::fromLatin1(statement))) {
            error = sqlError(query.lastError());
            return false;
        }
    return true;
}
} // namespace

Archive::Archive() : connection(QUuid::createUuid().toString()) {}

Archive::~Archive()
{
    close();
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

void Archive::close()
{
    if (QSqlDatabase::contains(connection)) {
        QSqlDatabase::database(connection, false).close();
        QSqlDatabase::removeDatabase(connection);
    }
}

// Reads the archive version through a read-only connection, so that a file that
// is refused is left byte for byte as it was.
bool Archive::inspect(const QString &path, int &version, QString &error)
{
    version = 0;
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
    const QString name = connection + "-inspect";
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(path);
        db.setConnectOptions("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=" +
                             QString::number(BusyTimeoutMs));
        QSqlQuery query(db);
        int application = 0;
        qsizetype tables = 0;
        if (!db.open() || !query.exec("PRAGMA quick_check") || !query.next())
            error = "it is damaged or not an SQLite database: " +
                    sqlError(db.isOpen() ? query.lastError() : db.lastError());
        else if (query.value(0).toString() != "ok")
            error = "it is damaged: " + query.value(0).toString();
        else if (!query.exec("PRAGMA application_id") || !query.next() ||
                 !((application = query.value(0).toInt()), true) ||
                 !query.exec("PRAGMA user_version") || !query.next() ||
                 !((version = query.value(0).toInt()), true) ||
                 !query.exec("SELECT count(*) FROM sqlite_schema") || !query.next())
            error = "it cannot be read: " + sqlError(query.lastError());
        else if ((tables = query.value(0).toLongLong()) > 0 && application != ApplicationId)
            error = "it is not a Corvaline archive";
        else if (version > SchemaVersion)
            error = QString("it was written by a newer Corvaline (archive version %1; this one "
                            "reads version %2)")
                        .arg(version)
                        .arg(SchemaVersion);
        else
            ok = true;
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool Archive::open(const QString &path, QString &error)
{
    close();
    int version = 0;
    if (!inspect(path, version, error)) {
        error = path + ": " + error;
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection);
    db.setDatabaseName(path);
    db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=" + QString::number(BusyTimeoutMs));
    if (!db.open()) {
        error = path + ": " + sqlError(db.lastError());
        return false;
    }
    // Switching a new file to WAL needs the file to itself: another archiver that
    // is storing makes SQLite answer "busy" at once, without waiting.
    QElapsedTimer waited;
    waited.start();
    while (!prepare(error) && busy && waited.elapsed() < BusyTimeoutMs) {
        error.clear();
        QThread::msleep(20);
    }
    if (!error.isEmpty()) {
        error = path + ": " + error;
        close();
        return false;
    }
    return true;
}

bool Archive::openChosen(const QString &path, QString &error)
{
    if (!path.isEmpty())
        return open(path, error);
    return MakeDefaultFolder(error) && open(DefaultPath(), error);
}

// WAL lets readers go on while a product is stored; the schema is made once,
// under the write lock, however many archivers start together.
bool Archive::prepare(QString &error)
{
    QSqlQuery query(QSqlDatabase::database(connection));
    busy = false;
    if (!execAll(query, Pragmas, error) || !execAll(query, Begin, error)) {
        busy = isBusy(query.lastError());
        return false;
    }
    bool ok = execAll(query, Schema, error) &&
              query.exec(QString("PRAGMA application_id = %1").arg(ApplicationId)) &&
              query.exec(QString("PRAGMA user_version = %1").arg(SchemaVersion));
    if (ok && error.isEmpty())
        return execAll(query, Commit, error);
    busy = isBusy(query.lastError());
    if (error.isEmpty())
        error = sqlError(query.lastError());
    query.exec("ROLLBACK");
    return false;
}

bool Archive::store(const QList<Observation> &observations, StoreCounts &counts, QString &error)
{
    counts = StoreCounts();
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    QSqlQuery query(db);
    if (!execAll(query, Begin, error))
        return false;
    QSqlQuery upsert(db);
    const auto rowCount = [&query]() -> qsizetype {
        return query.exec("SELECT count(*) FROM flux") && query.next() ? query.value(0).toLongLong()
                                                                       : -1;
    };
    const qsizetype before = rowCount();
    bool ok = before >= 0 && upsert.prepare(QString::fromLatin1(Upsert));
    qsizetype written = 0, changed = 0;
    for (const Observation &observation : observations) {
        const std::optional<qint64> time = secondsOf(observation.timeUtc);
        counts.undated += time ? 0 : 1;
        for (const ObservedFlux &flux : observation.fluxes) {
            if (!ok || !time)
                break;
            upsert.addBindValue(observation.station);
            upsert.addBindValue(*time);
            upsert.addBindValue(flux.mhz);
            upsert.addBindValue(QString::fromLatin1(SeriesName(observation.series)));
            upsert.addBindValue(flux.sfu ? QVariant(*flux.sfu)
                                         : QVariant(QMetaType(QMetaType::Double)));
            upsert.addBindValue(nullable(flux.quality));
            upsert.addBindValue(QString::fromLatin1(OriginName(observation.origin)));
            upsert.addBindValue(observation.timeText.isNull() ? QString("") : observation.timeText);
            ok = upsert.exec();
            changed += ok ? upsert.numRowsAffected() : 0;
            ++written;
        }
    }
    const qsizetype after = ok ? rowCount() : -1;
    if (ok && after >= 0 && execAll(query, Commit, error)) {
        counts.added = after - before;
        counts.revised = changed - counts.added;
        counts.unchanged = written - changed;
        return true;
    }
    if (error.isEmpty())
        error = sqlError(upsert.lastError().isValid() ? upsert.lastError() : query.lastError());
    upsert.finish();
    query.exec("ROLLBACK");
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
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.setForwardOnly(true);
    if (!query.prepare(QString::fromLatin1(Selected).arg(filter))) {
        error = sqlError(query.lastError());
        return false;
    }
    query.bindValue(":series", QString::fromLatin1(SeriesName(selection.series)));
    query.bindValue(":from", selection.from.toSecsSinceEpoch());
    query.bindValue(":to", selection.to.toSecsSinceEpoch());
    query.bindValue(":near", SameMeasurementS);
    if (!selection.station.isEmpty())
        query.bindValue(":station", selection.station);
    if (!query.exec()) {
        error = sqlError(query.lastError());
        return false;
    }
    while (query.next()) {
        StoredValue value;
        value.station = query.value(0).toString();
        value.timeS = query.value(1).toLongLong();
        value.mhz = query.value(2).toInt();
        if (!query.value(3).isNull())
            value.sfu = query.value(3).toDouble();
        value.quality = query.value(4).toString();
        value.origin = originNamed(query.value(5).toString());
        values << value;
    }
    return true;
}
