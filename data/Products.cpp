// SPDX-License-Identifier: MIT
#include "data/Products.h"

#include "data/JsonFluxReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
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

qint64 WriteWhole(int fd, const QByteArray &bytes)
{
    qint64 written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            errno = n < 0 ? errno : EIO;
            break;
        }
        written += n;
    }
    return written;
}

QString DownloadedProductRefusal(const QString &target, const QByteArray &body)
{
    if (QFileInfo(target).fileName() != QLatin1String(JsonProduct.fileName) ||
        IsJsonArrayProduct(body))
        return QString();
    return QStringLiteral("the answer is not a JSON array");
}

namespace {
// Reads go in chunks of a multiple of 8 bytes, which even /proc files that yield
// data without end accept.
constexpr qsizetype ReadChunkBytes = 64 * 1024;

// At most one chunk over the limit is read, whatever the file grows to meanwhile.
bool readBounded(int fd, qint64 expectedSize, QByteArray &bytes)
{
    QByteArray buffer;
    buffer.reserve(qsizetype(std::min(expectedSize, MaxProductFileBytes)) + ReadChunkBytes);
    qsizetype total = 0;
    while (total <= MaxProductFileBytes) {
        buffer.resize(total + ReadChunkBytes);
        const ssize_t n = ::read(fd, buffer.data() + total, std::size_t(ReadChunkBytes));
        if (n < 0 && errno != EINTR)
            return false; // a read error gives no product, not a part of one
        if (n == 0)
            break;
        total += std::max<ssize_t>(n, 0);
    }
    if (total > MaxProductFileBytes)
        return false;
    buffer.truncate(total);
    bytes = buffer;
    return true;
}
} // namespace

bool ReadProductFile(const QString &path, QByteArray &bytes, ProductLinks links)
{
    const int noFollow = links == ProductLinks::Refuse ? O_NOFOLLOW : 0;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | noFollow);
    if (fd < 0)
        return false;
    struct stat info;
    const bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                      info.st_size <= MaxProductFileBytes && readBounded(fd, info.st_size, bytes);
    ::close(fd);
    return read;
}
