#include "options.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace metersim {

namespace {

// Default firmware and hardware per kind: each kind's newest record layout, names included.
struct KindDefaults {
    Version fw;
    Version hw;
};
constexpr KindDefaults kDefaults[13] = {
    {{3, 7, 4}, {1, 2, 10}}, // 1 CWDM18
    {{2, 2, 0}, {1, 2, 10}}, // 2 DWDM48
    {{1, 2, 8}, {3, 0, 1}},  // 3 Vendral8
    {{1, 0, 0}, {1, 2, 10}}, // 4 DWDM96
    {{4, 0, 2}, {1, 2, 10}}, // 5 Tarnex8
    {{2, 0, 0}, {1, 2, 10}}, // 6 Tarnex56
    {{2, 0, 0}, {1, 2, 10}}, // 7 Tarnex57
    {{2, 0, 0}, {1, 2, 10}}, // 8 Tarnex64
    {{1, 0, 0}, {1, 2, 10}}, // 9 DWDM49TOTAL
    {{1, 0, 0}, {1, 2, 10}}, // 10 MPO12
    {{1, 0, 0}, {1, 2, 10}}, // 11 MPO24
    {{1, 0, 0}, {1, 2, 10}}, // 12 MPO16
    {{1, 0, 0}, {1, 2, 10}}, // 13 MPO32
};

bool parseVersion(const QString& text, Version* v)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return false;
    int parts[3];
    for (int i = 0; i < 3; ++i) {
        parts[i] = m.captured(i + 1).toInt();
        if (parts[i] > 255)
            return false;
    }
    *v = Version{quint8(parts[0]), quint8(parts[1]), quint8(parts[2])};
    return true;
}

// The kind names the application uses, in kind-code order.
constexpr const char* kKindNames[13] = {
    "CWDM18",   "DWDM48",      "Vendral8", "DWDM96", "Tarnex8", "Tarnex56", "Tarnex57",
    "Tarnex64", "DWDM49TOTAL", "MPO12",    "MPO24",  "MPO16",   "MPO32",
};

// --kind takes a code or a name ("CWDM18", any case).
bool parseKind(const QCommandLineParser& p, int* kind, QString* error)
{
    const QString option = QStringLiteral("kind");
    if (!p.isSet(option))
        return true;
    const QString value = p.value(option);
    for (int i = 0; i < 13; ++i) {
        if (value.compare(QLatin1String(kKindNames[i]), Qt::CaseInsensitive) == 0) {
            *kind = i + 1;
            return true;
        }
    }
    bool ok = false;
    const int code = value.toInt(&ok);
    if (ok && code >= 1 && code <= 13) {
        *kind = code;
        return true;
    }
    *error = QStringLiteral("--kind must be a number from 1 to 13 or a kind name such as CWDM18");
    return false;
}

bool parseCount(const QCommandLineParser& p, const QString& name, int min, int max, int* out,
                QString* error)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const int value = p.value(name).toInt(&ok);
    if (!ok || value < min || value > max) {
        *error = QStringLiteral("--%1 must be a number from %2 to %3").arg(name).arg(min).arg(max);
        return false;
    }
    *out = value;
    return true;
}

// Any byte but the 0x00 and 0xFF that separate the product from the serial number, so that a
// test can send control characters and spaces as a careless meter might.
bool checkText(const QByteArray& text, int maxLength, const QString& name, QString* error)
{
    bool usable = !text.isEmpty();
    for (char c : text)
        usable = usable && c != '\0' && quint8(c) != 0xFF;
    if (usable && text.size() <= maxLength)
        return true;
    *error = QStringLiteral("--%1 must be 1 to %2 bytes, none of them 0x00 or 0xFF")
                 .arg(name)
                 .arg(maxLength);
    return false;
}

} // namespace

ParseResult parseOptions(const QStringList& arguments, Options* o, QString* error)
{
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Simulated optical power meter on a pseudo-terminal"));
    p.addHelpOption();
    p.addOptions({
        {QStringLiteral("kind"), QStringLiteral("Device kind 1..13 or its name (record layout)."), QStringLiteral("N")},
        {QStringLiteral("records"), QStringLiteral("Number of generated records."), QStringLiteral("N")},
        {QStringLiteral("fw"), QStringLiteral("Firmware version."), QStringLiteral("M.m.p")},
        {QStringLiteral("hw"), QStringLiteral("Hardware version."), QStringLiteral("M.m.p")},
        {QStringLiteral("product"), QStringLiteral("Product number."), QStringLiteral("TEXT")},
        {QStringLiteral("serial"), QStringLiteral("Serial number."), QStringLiteral("TEXT")},
        {QStringLiteral("build"), QStringLiteral("Build time text."), QStringLiteral("TEXT")},
        {QStringLiteral("dwdm48-big"), QStringLiteral("Kind 2 sends the extended 50-value layout.")},
        {QStringLiteral("records-file"), QStringLiteral("Records from a JSON file."), QStringLiteral("F.json")},
        {QStringLiteral("drop-every"), QStringLiteral("Drop every K-th answer."), QStringLiteral("K")},
        {QStringLiteral("split"), QStringLiteral("Send each answer in two writes.")},
        {QStringLiteral("double"), QStringLiteral("Send each answer twice in one write.")},
        {QStringLiteral("double-every"), QStringLiteral("Send every K-th answer twice in one write."), QStringLiteral("K")},
        {QStringLiteral("faults-from"), QStringLiteral("Leave answers before the N-th alone."), QStringLiteral("N")},
        {QStringLiteral("garbage"), QStringLiteral("Replace every other answer with random bytes.")},
        {QStringLiteral("delay"), QStringLiteral("Delay each answer."), QStringLiteral("MS")},
        {QStringLiteral("silent"), QStringLiteral("Never answer.")},
        {QStringLiteral("l1"), QStringLiteral("Answers of L + 1 bytes instead of L + 2.")},
        {QStringLiteral("total0"), QStringLiteral("Report a record total of 0.")},
        {QStringLiteral("register"), QStringLiteral("Enter the pty in the port map as COMn."), QStringLiteral("COMn")},
        {QStringLiteral("leftover"), QStringLiteral("Leave N bytes of earlier answers in the line."), QStringLiteral("N")},
        {QStringLiteral("babble"), QStringLiteral("After the identity, a stray byte every MS."), QStringLiteral("MS")},
    });
    if (!p.parse(arguments)) {
        *error = p.errorText();
        return ParseResult::Error;
    }
    if (p.isSet(QStringLiteral("help"))) {
        *error = p.helpText();
        return ParseResult::Help;
    }
    if (!p.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument: ") + p.positionalArguments().first();
        return ParseResult::Error;
    }

    if (!parseKind(p, &o->kind, error)
        || !parseCount(p, QStringLiteral("records"), 0, 65535, &o->records, error)
        || !parseCount(p, QStringLiteral("drop-every"), 1, 1000000, &o->faults.dropEvery, error)
        || !parseCount(p, QStringLiteral("double-every"), 1, 1000000, &o->faults.doubleEvery, error)
        || !parseCount(p, QStringLiteral("faults-from"), 1, 1000000, &o->faults.from, error)
        || !parseCount(p, QStringLiteral("delay"), 0, 60000, &o->faults.delayMs, error)
        || !parseCount(p, QStringLiteral("leftover"), 1, 4096, &o->leftover, error)
        || !parseCount(p, QStringLiteral("babble"), 1, 60000, &o->faults.babbleMs, error))
        return ParseResult::Error;

    Identity& id = o->identity;
    id.fw = kDefaults[o->kind - 1].fw;
    id.hw = kDefaults[o->kind - 1].hw;
    if ((p.isSet(QStringLiteral("fw")) && !parseVersion(p.value(QStringLiteral("fw")), &id.fw))
        || (p.isSet(QStringLiteral("hw")) && !parseVersion(p.value(QStringLiteral("hw")), &id.hw))) {
        *error = QStringLiteral("versions look like 3.7.4, each part at most 255");
        return ParseResult::Error;
    }
    id.product = p.isSet(QStringLiteral("product")) ? p.value(QStringLiteral("product")).toLatin1()
                                                     : QByteArray("Ruvo730");
    id.serial = p.isSet(QStringLiteral("serial")) ? p.value(QStringLiteral("serial")).toLatin1()
                                                   : QByteArray("RV7300123");
    id.buildTime = p.isSet(QStringLiteral("build")) ? p.value(QStringLiteral("build")).toLatin1()
                                                     : QByteArray("2026-03-14 10:22:31");
    if (!checkText(id.product, kMaxProductLength, QStringLiteral("product"), error)
        || !checkText(id.serial, kMaxSerialLength, QStringLiteral("serial"), error))
        return ParseResult::Error;
    // One byte of the build-time field stays zero so that a reader always finds its end.
    if (id.buildTime.size() >= kBuildTimeSize || id.buildTime.contains('\0')) {
        *error = QStringLiteral("--build must be at most 23 characters");
        return ParseResult::Error;
    }

    o->dwdm48Big = p.isSet(QStringLiteral("dwdm48-big"));
    o->recordsFile = p.value(QStringLiteral("records-file"));
    o->faults.split = p.isSet(QStringLiteral("split"));
    if (p.isSet(QStringLiteral("double")))
        o->faults.doubleEvery = 1;
    o->faults.garbage = p.isSet(QStringLiteral("garbage"));
    o->faults.silent = p.isSet(QStringLiteral("silent"));
    o->trailer = p.isSet(QStringLiteral("l1")) ? Trailer::One : Trailer::Two;
    o->total0 = p.isSet(QStringLiteral("total0"));
    if (p.isSet(QStringLiteral("register"))) {
        static const QRegularExpression port(QStringLiteral("^COM[1-9]\\d{0,2}$"));
        o->registerPort = p.value(QStringLiteral("register"));
        if (!port.match(o->registerPort).hasMatch()) {
            *error = QStringLiteral("--register takes a port name such as COM7");
            return ParseResult::Error;
        }
    }
    return ParseResult::Ok;
}

} // namespace metersim
