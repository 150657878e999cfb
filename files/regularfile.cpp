#include "files/regularfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace RegularFile {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("RegularFile", text);
}

QString tooLarge(qint64 maxBytes)
{
    return maxBytes >= 1024 * 1024 ? tr("it is larger than %1 MiB").arg(maxBytes / (1024 * 1024))
                                   : tr("it is larger than %1 bytes").arg(maxBytes);
}

} // namespace

std::optional<QByteArray> read(const QString& path, qint64 maxBytes, QString* error)
{
    QFile file;
#ifdef Q_OS_UNIX
    // Opened without waiting for a writer, then judged by what the descriptor is.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    struct stat st;
    QString refusal;
    if (::fstat(fd, &st) != 0)
        refusal = QString::fromLocal8Bit(std::strerror(errno));
    else if (!S_ISREG(st.st_mode))
        refusal = tr("it is not a regular file");
    else if (st.st_size > maxBytes)
        refusal = tooLarge(maxBytes);
    else if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        refusal = file.errorString();
    if (!refusal.isEmpty()) {
        ::close(fd);
        *error = refusal;
        return std::nullopt;
    }
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *error = tr("it is not a regular file");
        return std::nullopt;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    if (file.size() > maxBytes) {
        *error = tooLarge(maxBytes);
        return std::nullopt;
    }
#endif
    // Read in pieces and bounded as it comes: a file may have grown since it was measured.
    QByteArray bytes;
    bytes.reserve(qsizetype(std::min(file.size(), maxBytes)));
    char piece[64 * 1024];
    qint64 n = 0;
    while ((n = file.read(piece, sizeof piece)) > 0) {
        if (bytes.size() + n > maxBytes) {
            *error = tooLarge(maxBytes);
            return std::nullopt;
        }
        bytes.append(piece, n);
    }
    if (n < 0) {
        *error = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

} // namespace RegularFile
