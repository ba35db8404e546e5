// SPDX-License-Identifier: MIT
#pragma once

#include "data/Observations.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

struct sqlite3;

// Closes a connection to an archive.
struct CloseConnection
{
    void operator()(sqlite3 *db) const;
};

// How a product changed the archive: values it added, values it revised (flux,
// quality or origin differing from what was stored), values already stored as
// they are, and observations left out for want of a date.
struct StoreCounts
{
    qsizetype added = 0, revised = 0, unchanged = 0, undated = 0;
};

// A value as the archive holds it.
struct StoredValue
{
    QString station;
    qint64 timeS = 0; // seconds since 1970 UTC
    int mhz = 0;
    std::optional<double> sfu;
    QString quality;
    Origin origin = Origin::Text;
};
Q_DECLARE_TYPEINFO(StoredValue, Q_RELOCATABLE_TYPE);

// Which stored values to read back: a series, both ends of the period included,
// one station (any spelling, any case) or all, and the frequencies wanted (all
// when empty).
struct Selection
{
    QDateTime from, to;
    QString station;
    Series series = Series::Observed;
    QList<int> mhz;
};

// The archive of every observation read: one SQLite file, one row per station,
// time, frequency and series. Storing the same product again adds nothing; a
// later product that revises a value replaces it. A text product's value is read
// back only when no JSON or flux-table value of its station and frequency lies
// within an hour of it, so that one measurement counts once.
class Archive
{
public:
    Archive() = default;
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;

    // $XDG_DATA_HOME/corvaline/archive.sqlite, or its fallback.
    static QString DefaultPath();
    // Creates the folder of the default path with mode 0700 when it is missing.
    static bool MakeDefaultFolder(QString &error);

    // Opens the archive, creating it when the file is missing or empty. A file
    // that is a link, is not a Corvaline archive, comes from a newer Corvaline or
    // is damaged is refused and left as it is.
    bool open(const QString &path, QString &error);

    // Opens `path`, or when it is empty the default archive, its folder made first.
    bool openChosen(const QString &path, QString &error);

    // Opens an existing archive to read it, `path` or when it is empty the default
    // one, without writing to it. Refused as open() refuses, but pages are checked
    // only as they are read.
    bool openToRead(const QString &path, QString &error);

    // Stores a product's observations in one transaction: all of them or none.
    bool store(const QList<Observation> &observations, StoreCounts &counts, QString &error);

    // The selected values, oldest first, then by station and frequency.
    bool select(const Selection &selection, QList<StoredValue> &values, QString &error);

private:
    std::unique_ptr<sqlite3, CloseConnection> db;
};
