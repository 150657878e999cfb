#include "files/teamconnection.h"

#include "files/archive.h"

#include <QHash>
#include <QRegularExpression>

#include <libpq-fe.h>

namespace {

// libpq's quoting of a value in key=value pairs.
QString quoted(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

} // namespace

namespace TeamConnection {

bool configure(QSqlDatabase& db, const QString& conninfo, QString* error)
{
    char* parseError = nullptr;
    const QByteArray text = conninfo.toUtf8();
    PQconninfoOption* options = PQconninfoParse(text.constData(), &parseError);
    if (!options) {
        *error = parseError ? QString::fromUtf8(parseError).trimmed()
                            : QStringLiteral("it cannot be read");
        PQfreemem(parseError);
        return false;
    }
    QHash<QString, QString> given;
    for (const PQconninfoOption* o = options; o->keyword; ++o) {
        if (o->val && *o->val)
            given.insert(QString::fromUtf8(o->keyword), QString::fromUtf8(o->val));
    }
    PQconninfoFree(options);
    if (given.contains(QStringLiteral("password"))) {
        *error = QStringLiteral("it holds a password; Velumin keeps none: put it in ~/.pgpass or "
                                "PGPASSWORD");
        return false;
    }
    // A server that does not answer is given up on rather than waited for: the team archive never
    // stands between a technician and a download.
    given.insert(QStringLiteral("connect_timeout"),
                 given.value(QStringLiteral("connect_timeout"), QStringLiteral("10")));
    given.insert(QStringLiteral("tcp_user_timeout"),
                 given.value(QStringLiteral("tcp_user_timeout"), QStringLiteral("20000")));
    given.insert(QStringLiteral("application_name"),
                 given.value(QStringLiteral("application_name"), QStringLiteral("Velumin")));
    QStringList pairs;
    for (auto it = given.cbegin(); it != given.cend(); ++it) {
        // The driver reads ';' as a separator.
        if (it.value().contains(QLatin1Char(';'))) {
            *error =
                QStringLiteral("its %1 holds a ';', which Qt's PostgreSQL driver cannot pass on")
                    .arg(it.key());
            return false;
        }
        pairs << it.key() + QLatin1Char('=') + quoted(it.value());
    }
    pairs.sort();
    db.setConnectOptions(pairs.join(QLatin1Char(';')));
    return true;
}

} // namespace TeamConnection

QString Archive::shownLocation(const QString& conninfo)
{
    static const QRegularExpression uriPassword(QStringLiteral("^(\\w+://[^:/@]*):[^@]*@"));
    static const QRegularExpression pairPassword(
        QStringLiteral("(password\\s*=\\s*)('(?:[^'\\\\]|\\\\.)*'|[^\\s&]*)"));
    QString shown = conninfo;
    shown.replace(uriPassword, QStringLiteral("\\1:****@"));
    shown.replace(pairPassword, QStringLiteral("\\1****"));
    return shown;
}
