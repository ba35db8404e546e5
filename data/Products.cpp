#include "data/Products.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool OpenProductFile(QFile &file)
{
    const int fd =
        ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= MaxProductFileBytes &&
        file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}
