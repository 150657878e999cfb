#pragma once

#include <QSqlDatabase>
#include <QString>

// The team archive's connection: a PostgreSQL connection string, as a URI
// ("postgresql://velumin@server/fibre?sslmode=require") or as key=value pairs, read by libpq
// itself. The password is never part of it: libpq takes it from ~/.pgpass or PGPASSWORD.
namespace TeamConnection {

// Sets `db`, a QPSQL connection, to connect as `conninfo` says. False, with the reason, when the
// text cannot be read, holds a password or a value the driver cannot pass on.
bool configure(QSqlDatabase& db, const QString& conninfo, QString* error);

} // namespace TeamConnection
