#include "export/reportfiles.h"

#include "data/kinds.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ReportFiles {

namespace {

const QString standardOutput = QStringLiteral("-");
const QString recordPattern = QStringLiteral("%n");

// Gives a new report the permissions of the file it replaces, or those a new file gets: a
// temporary file is made for its owner alone.
void setPermissions([[maybe_unused]] QTemporaryFile& file, [[maybe_unused]] const QString& target)
{
#ifdef Q_OS_UNIX
    struct stat st;
    mode_t mode = 0;
    if (::stat(QFile::encodeName(target).constData(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(file.handle(), mode);
#endif
}

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

} // namespace

QString target(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

QString clash(const ExportOptions& o)
{
    struct Named {
        QString option;
        QString path;
    };
    const bool mpo = isMpoKind(o.kind);
    // One CSV file per record: its name with %n stands for every record index.
    const bool perRecord = mpo && !o.record && o.csv.contains(recordPattern);
    QList<Named> named;
    for (const Named& n :
         {Named{QStringLiteral("--csv"), mpo && o.record ? o.csvFileFor(*o.record) : o.csv},
          Named{QStringLiteral("--pdf"), o.pdf}, Named{QStringLiteral("--json"), o.json},
          Named{QStringLiteral("--limits"), o.limitsFile},
          Named{QStringLiteral("--reference"), o.referenceFile},
          Named{QStringLiteral("--budget"), o.budgetFile},
          Named{QStringLiteral("--job-file"), o.jobFile}}) {
        if (!n.path.isEmpty() && n.path != standardOutput)
            named << Named{n.option, target(n.path)};
    }
    QRegularExpression records;
    if (perRecord) {
        QStringList parts = named.first().path.split(recordPattern);
        for (QString& part : parts)
            part = QRegularExpression::escape(part);
        records.setPattern(
            QRegularExpression::anchoredPattern(parts.join(QStringLiteral("(0|[1-9][0-9]*)"))));
    }
    for (int a = 0; a < named.size(); ++a) {
        for (int b = a + 1; b < named.size(); ++b) {
            const bool same = perRecord && a == 0 ? records.match(named.at(b).path).hasMatch()
                                                  : named.at(a).path == named.at(b).path;
            if (same)
                return QStringLiteral("%1 and %2 name one file, %3: give each a file of its own")
                    .arg(named.at(a).option, named.at(b).option, named.at(b).path);
        }
    }
    return {};
}

QIODevice* Pending::begin(const QString& path, QString* error)
{
    std::unique_ptr<QTemporaryFile> file;
    QString to;
    if (path == standardOutput) {
        file = std::make_unique<QTemporaryFile>();
    } else {
        // Beside its target, so that the rename stays on one file system and replaces at once.
        to = target(path);
        const QFileInfo info(to);
        file = std::make_unique<QTemporaryFile>(info.absolutePath() + QStringLiteral("/.") +
                                                info.fileName() + QStringLiteral(".XXXXXX"));
    }
    if (!file->open()) {
        *error = file->errorString();
        return nullptr;
    }
    m_open = file.get();
    if (path == standardOutput) {
        m_standardOutput = std::move(file);
    } else {
        setPermissions(*file, to);
        m_entries.push_back({path, to, std::move(file)});
    }
    return m_open;
}

bool Pending::end(QString* error)
{
    QTemporaryFile* file = m_open;
    m_open = nullptr;
    if (!file)
        return true;
    const bool flushed = file->flush();
    file->close();
    if (flushed && file->error() == QFileDevice::NoError)
        return true;
    *error = file->errorString();
    return false;
}

bool Pending::commit(QStringList* committed, QString* failedPath, QString* error)
{
    for (Entry& e : m_entries) {
        std::error_code code;
        std::filesystem::rename(fsPath(e.file->fileName()), fsPath(e.target), code);
        if (code) {
            *failedPath = e.path;
            *error = QString::fromLocal8Bit(code.message().c_str());
            return false;
        }
        e.file->setAutoRemove(false);
        committed->append(e.path);
    }
    return true;
}

QStringList Pending::files() const
{
    QStringList paths;
    for (const Entry& e : m_entries)
        paths << e.path;
    return paths;
}

bool Pending::copyToStandardOutput(const std::function<bool()>& carryOn)
{
    QTemporaryFile& file = *m_standardOutput;
    if (!file.open())
        return false;
    std::fflush(stdout);
    while (carryOn()) {
        const QByteArray piece = file.read(64 * 1024);
        if (piece.isEmpty())
            return file.error() == QFileDevice::NoError && std::fflush(stdout) == 0;
        const char* at = piece.constData();
        qint64 left = piece.size();
        while (left > 0) {
#ifdef Q_OS_UNIX
            // Written here rather than through stdio, which retries a write a signal cut short.
            const ssize_t n = ::write(STDOUT_FILENO, at, size_t(left));
            if (n < 0 && errno != EINTR)
                return false;
#else
            const qint64 n = qint64(std::fwrite(at, 1, size_t(left), stdout));
            if (n < left && std::ferror(stdout))
                return false;
#endif
            if (!carryOn())
                return false;
            if (n > 0) {
                at += n;
                left -= n;
            }
        }
    }
    return false;
}

} // namespace ReportFiles
