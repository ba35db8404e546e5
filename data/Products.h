#pragma once

#include <QString>

class QFile;

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

// Opens the file read-only when it is a regular file of at most MaxProductFileBytes.
// The data directory may be shared, so a FIFO or device planted there must
// neither hang the reader nor feed it without end.
bool OpenProductFile(QFile &file);
