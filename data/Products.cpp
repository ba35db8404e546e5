#include "data/Products.h"

#include <QDir>

QString StandardDataDirectory()
{
    return QString::fromUtf8(QDir::rootPath().toLatin1() + "ProgramData/sfu/");
}

ServiceLocations ServiceLocations::standard()
{
    return {StandardDataDirectory(), QString::fromLatin1(DataServiceEndpoint)};
}

QString ServiceLocations::urlOf(const Product &product) const
{
    return serviceEndpoint + QLatin1String(product.path);
}

QString ServiceLocations::localPathOf(const Product &product) const
{
    return QString::fromUtf8(dataDirectory.toUtf8() + product.fileName);
}
