#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>
#include <initializer_list>
#include <optional>

// The strict reading that every small JSON file Velumin reads (limits, references, budgets, job
// blocks) shares: each call checks one key of an object and says what is wrong in `error`,
// prefixed by `where` ("channel 7: "), when it returns false.
namespace JsonFields {

// An optional number.
bool readNumber(const QJsonObject& o, const char* key, const QString& where,
                std::optional<double>* out, QString* error);
bool readBool(const QJsonObject& o, const char* key, const QString& where, bool* out,
              QString* error);
// An optional text.
bool readText(const QJsonObject& o, const char* key, const QString& where, QString* out,
              QString* error);
// A channel key: a positive decimal integer, nothing else.
std::optional<int> channelNumber(const QString& key);
// A key the format does not know is refused rather than ignored: a misspelt "mxa" would
// otherwise leave a channel unchecked without a word. `file` names the format: "a limits file".
bool knownKeys(const QJsonObject& o, std::initializer_list<const char*> keys, const QString& where,
               const QString& file, QString* error);
// The kind code of a kind's name in any case; 0 when it names none.
int kindOfName(const QString& name);
void putOptional(QJsonObject& o, const char* key, const std::optional<double>& v);
// Every entry of the optional object "channels" of `o`, by channel position: `each` reads the
// value at a position and says what is wrong with it. False, with the problem, for a value of
// "channels" that is not an object, a key that is not a position, or a value `each` refuses.
bool channels(const QJsonObject& o, const std::function<bool(int, const QJsonValue&)>& each,
              QString* error);
// The object of `json`; none, with the problem, when it is not JSON or not an object.
std::optional<QJsonObject> object(const QByteArray& json, QString* error);

} // namespace JsonFields
