#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Reads a file that a user named, without trusting the name: a pipe would block the reader until
// a writer comes, a device such as /dev/zero never ends. Both are refused before a byte is read.
namespace RegularFile {

// The whole content of the regular file at `path`; none, with the reason in `error`, when it
// cannot be opened, is not a regular file or is larger than `maxBytes`. The check is made on
// the opened descriptor, so a pipe put in the file's place afterwards is refused too.
std::optional<QByteArray> read(const QString& path, qint64 maxBytes, QString* error);

} // namespace RegularFile
