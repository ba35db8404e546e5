// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The NOAA Space Weather Prediction Center's data service.
inline constexpr char DataServiceEndpoint[] = "https://services.swpc.noaa.gov";

struct Product
{
    const char *path;     // on the data service
    const char *fileName; // in the data directory
};

inline constexpr Product TextProduct = {"/text/current-space-weather-indices.txt",
                                        "current-space-weather-indices.txt"};
inline constexpr Product JsonProduct = {"/json/solar-radio-flux.json", "solar-radio-flux.json"};

// Where products come from and where they are cached. The program always uses
// standard(); tests point both at places of their own.
struct ServiceLocations
{
    QString dataDirectory;   // ends with '/'
    QString serviceEndpoint; // scheme and host, no trailing '/'

    static ServiceLocations standard();
    QString urlOf(const Product &product) const;
    QString localPathOf(const Product &product) const;
};

// The root path as Latin-1, then "ProgramData/sfu/"; never created by the program.
QString StandardDataDirectory();

// Products larger than this are not read.
constexpr qint64 MaxProductFileBytes = 16 * 1024 * 1024;

// Whether a link at the path is followed: never in the shared cache, where any
// member of the group may plant one; a file named on a command line is the
// user's own choice.
enum class ProductLinks { Refuse, Follow };

// Reads the whole file when it is a regular file of at most MaxProductFileBytes.
// The data directory may be shared, so what is found there may be a FIFO or a
// device (which must not hang the reader), a link, or a file that grows while it
// is read: the file is opened once, checked through that descriptor, and read
// from it to at most one byte over the limit, so memory stays bounded.
bool ReadProductFile(const QString &path, QByteArray &bytes,
                     ProductLinks links = ProductLinks::Refuse);

// Writes all of the bytes, going on after an interrupted or partial write. Returns
// how many were written: fewer than all when a write failed, with errno saying why.
qint64 WriteWhole(int fd, const QByteArray &bytes);

// Why a downloaded body must not replace the cached product at `target`, or an
// empty text: a JSON product must be a JSON array (a maintenance page is not
// data). A text product is stored whatever it holds, as the service sent it.
QString DownloadedProductRefusal(const QString &target, const QByteArray &body);

// What members of the cache's group may do that others may not, for the line
// that says why an Update could not write the cache.
inline constexpr char CacheGroupHint[] =
    "only members of the group corvaline may update the cache: ask an administrator for "
    "'sudo adduser USER corvaline', then log in again";
