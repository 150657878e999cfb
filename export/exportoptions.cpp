#include "export/exportoptions.h"

#include "data/kinds.h"

#include <QCommandLineParser>

namespace {

const QString csvPattern = QStringLiteral("%n");

QString usageLine()
{
    return QStringLiteral(
        "usage: velumin-export --list\n"
        "       velumin-export --port PORT --type TYPE [--csv FILE] [--pdf FILE] [--json FILE]\n"
        "                      [--limits FILE] [--record N] [--unit nm|thz] [--timeout SECONDS]\n"
        "                      [--reference FILE | --reference-record N] [--budget FILE]\n"
        "                      [--job-file FILE] [--job TEXT] [--no-archive] [--quiet]\n"
        "       velumin-export --archived [--team]\n"
        "       velumin-export --from-archive ID [--team] [--csv FILE] [--pdf FILE] [--json FILE]\n"
        "                      [--limits FILE] [--record N] [--unit nm|thz]\n"
        "                      [--reference FILE | --reference-record N] [--budget FILE]\n"
        "                      [--job-file FILE] [--quiet]\n"
        "       velumin-export --push [--quiet]\n"
        "       velumin-export --init-team-archive");
}

// The kind names, comma-separated, in lines that fit beside the option column.
QString kindNames()
{
    QStringList lines{QString()};
    for (int kind = Kind::First; kind <= Kind::Last; ++kind) {
        const QString name = kindName(kind) + (kind < Kind::Last ? QStringLiteral(",") : QString());
        if (lines.last().size() + name.size() + 1 > 70)
            lines.append(QString());
        lines.last() += (lines.last().isEmpty() ? QString() : QStringLiteral(" ")) + name;
    }
    return lines.join(QStringLiteral("\n") + QString(21, QLatin1Char(' ')));
}

} // namespace

QString ExportOptions::csvFileFor(int index) const
{
    QString file = csv;
    return file.replace(csvPattern, QString::number(index));
}

namespace ExportCommandLine {

QString recordProblem(const ExportOptions& o)
{
    const bool fibreRows = isMpoKind(o.kind);
    if (o.record && (!fibreRows || o.csv.isEmpty()))
        return QStringLiteral("--record chooses the record of an MPO meter's CSV report");
    if (fibreRows && !o.csv.isEmpty() && !o.record && !o.csv.contains(csvPattern))
        return QStringLiteral("an MPO meter's CSV report holds one record: give --record N, "
                              "or a file name with %n for one file per record");
    if (fibreRows && o.csv == QStringLiteral("-") && !o.record)
        return QStringLiteral("give --record N to write an MPO record to standard output");
    return QString();
}

int deviceIndexForType(const QString& type)
{
    const QString t = type.trimmed();
    bool numeric = false;
    const int index = t.toInt(&numeric);
    const QStringList& entries = deviceChooserEntries();
    if (numeric)
        return index >= 1 && index < entries.size() ? index : 0;
    for (int i = 1; i < entries.size(); ++i) {
        if (t.compare(entries.at(i), Qt::CaseInsensitive) == 0)
            return i;
    }
    for (int kind = Kind::First; kind <= Kind::Last; ++kind) {
        // The selection whose identity makes the link decode this kind.
        if (t.compare(kindName(kind), Qt::CaseInsensitive) == 0)
            return kindInfo(kind)->deviceIndex;
    }
    return 0;
}

QString helpText()
{
    return usageLine() + QString::fromUtf8(R"help(

Downloads every record of an optical power meter and writes the reports Velumin writes.

  --list             list the serial ports (COM name, device, description, "meter" for a
                     port that looks like a meter) and exit
  --port PORT        the meter's port: a COM name (COM7) or a device path (/dev/ttyACM0)
  --type TYPE        the meter's type, a kind name in any case:
                     %1
                     or a chooser entry such as "CWDM-18 (Ruvo 730)", or its index 1 to 3.
                     Alone, --port and --type print the meter's identity.
  --csv FILE         the CSV report Save Data writes; MPO meters: the record of --record, or
                     one file per record when FILE holds %n (the record's index from 0)
  --pdf FILE         the PDF report
  --json FILE        the identity and every record as JSON
  --limits FILE      judge every record against a limits file; exit status 1 when one fails
                     (alone, without a report, only the verdict)
  --record N         MPO meters: the record the CSV report holds, from 0
  --reference FILE   judge the loss of every channel (reference - reading, dB) against a
                     reference file: {"name", "kind", "channels": {"1": -2.5, ...}} in dBm
  --reference-record N
                     the same against record N of this download (from 0, as --record)
  --budget FILE      the loss budget: {"maxLoss": 3.5, "channels": {"4": {"maxLoss": 2}}} or
                     {"link": {"lengthKm", "dbPerKm", "connectorPairs", "splices"}}; exit
                     status 1 when a record's loss fails it or its reference must be set again
  --job-file FILE    the PDF report's job block: {"company", "customer", "site", "link",
                     "operator", "logo"}
  --unit nm|thz      label channels by wavelength or frequency (default: Velumin's setting)
  --timeout SECONDS  how long to wait for the meter's identity (default 5), and during the
                     download for each record (at least 8 s)
  --quiet            no progress on standard error
  FILE "-" is standard output, written after the files. A run writes all its reports or none.

Every download is kept in Velumin's archive (VELUMIN_ARCHIVE names its file, else the window's
setting, else archive.sqlite in Velumin's data folder). An archive that cannot be written is
said in one line on standard error; the run goes on as without it.
  --job TEXT         the job the download is archived under
  --no-archive       do not archive this run's download
  --archived         print every archived download, newest first, one JSON object a line:
                     id, started, ended, complete, job, meter, records
  --from-archive ID  report an archived download (its id, or the start of it) instead of a
                     meter's: --csv, --pdf, --json, --limits, --record and --unit as for a port

With a team archive (VELUMIN_TEAM_ARCHIVE, else the window's setting "teamArchive": a
PostgreSQL connection string such as postgresql://velumin@server/fibre?sslmode=require; the
password comes from ~/.pgpass or PGPASSWORD, never from Velumin), each complete download is
pushed to it after the run; a team archive that cannot be reached is said in one line and the
download waits for the next push.
  --push             push every complete download that waits; exit status 0 when all are pushed
  --team             with --archived or --from-archive: read the team archive instead
  --init-team-archive
                     make the team archive's tables, or bring them up to date, and exit

Exit status: 0 done (and every record passed its limits and budget), 1 a record failed its
limits or its loss budget, or needs its reference set again (a loss below -0.3 dB),
2 wrong usage, 3 the port cannot be opened, 4 no identity within the timeout, 5 the meter went
away or answered no record request, 6 a file could not be written, 7 the archive cannot be
read, 8 the team archive cannot be used or did not take every download, 130 interrupted.
)help")
                             .arg(kindNames());
}

Parsed parse(const QStringList& arguments, ExportOptions* o, QString* error)
{
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption list(QStringLiteral("list"));
    const QCommandLineOption quiet(QStringLiteral("quiet"));
    const QCommandLineOption archived(QStringLiteral("archived"));
    const QCommandLineOption noArchive(QStringLiteral("no-archive"));
    const QCommandLineOption team(QStringLiteral("team"));
    const QCommandLineOption push(QStringLiteral("push"));
    const QCommandLineOption initTeam(QStringLiteral("init-team-archive"));
    const auto valued = [](const char* name) {
        return QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
    };
    const QCommandLineOption port = valued("port"), type = valued("type"), csv = valued("csv"),
                             pdf = valued("pdf"), json = valued("json"), limits = valued("limits"),
                             record = valued("record"), unit = valued("unit"),
                             timeout = valued("timeout"), job = valued("job"),
                             fromArchive = valued("from-archive"), reference = valued("reference"),
                             referenceRecord = valued("reference-record"),
                             budget = valued("budget"), jobFile = valued("job-file");
    p.addOptions({help, version, list, quiet, port, type, csv, pdf, json, limits, record, unit,
                  timeout, archived, noArchive, job, fromArchive, reference, referenceRecord,
                  budget, jobFile, team, push, initTeam});
    const auto fail = [error](const QString& text) {
        *error = text;
        return Parsed::Error;
    };
    if (!p.parse(arguments))
        return fail(p.errorText());
    if (p.isSet(help))
        return Parsed::Help;
    if (p.isSet(version))
        return Parsed::Version;
    if (!p.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument: %1").arg(p.positionalArguments().first()));
    for (const QCommandLineOption* once :
         {&port, &type, &csv, &pdf, &json, &limits, &record, &unit, &timeout, &job, &fromArchive,
          &reference, &referenceRecord, &budget, &jobFile}) {
        if (p.values(*once).size() > 1)
            return fail(QStringLiteral("--%1 given more than once").arg(once->names().first()));
        // Most often an unset variable in a script: taken as "not given", a run would report
        // without the limits or leave out a report, and still succeed.
        if (p.isSet(*once) && p.value(*once).isEmpty())
            return fail(QStringLiteral("--%1 has an empty value").arg(once->names().first()));
    }
    o->list = p.isSet(list);
    o->quiet = p.isSet(quiet);
    if (o->list) {
        if (arguments.size() > 2 + (o->quiet ? 1 : 0))
            return fail(QStringLiteral("--list takes no other option"));
        return Parsed::Run;
    }
    o->team = p.isSet(team);
    o->push = p.isSet(push);
    if (o->push) {
        if (arguments.size() > 2 + (o->quiet ? 1 : 0))
            return fail(QStringLiteral("--push takes no other option"));
        return Parsed::Run;
    }
    o->initTeam = p.isSet(initTeam);
    if (o->initTeam) {
        if (arguments.size() > 2)
            return fail(QStringLiteral("--init-team-archive takes no other option"));
        return Parsed::Run;
    }
    o->archived = p.isSet(archived);
    if (o->archived) {
        if (arguments.size() > 2 + (o->team ? 1 : 0))
            return fail(QStringLiteral("--archived takes no other option than --team"));
        return Parsed::Run;
    }
    if (o->team && !p.isSet(fromArchive))
        return fail(QStringLiteral("--team goes with --archived or --from-archive"));
    o->fromArchive = p.value(fromArchive);
    o->noArchive = p.isSet(noArchive);
    o->job = p.value(job);
    if (!o->fromArchive.isEmpty()) {
        for (const QCommandLineOption* portOnly : {&port, &type, &timeout, &job, &noArchive}) {
            if (p.isSet(*portOnly))
                return fail(QStringLiteral("--from-archive takes no --%1: the download is "
                                           "archived already")
                                .arg(portOnly->names().first()));
        }
    } else {
        o->port = p.value(port);
        if (o->port.isEmpty())
            return fail(QStringLiteral("--port is missing (--list shows the ports)"));
        if (!p.isSet(type))
            return fail(QStringLiteral("--type is missing"));
        o->deviceIndex = deviceIndexForType(p.value(type));
        const KindInfo* info = kindForDeviceIndex(o->deviceIndex);
        o->kind = info ? info->code : 0;
        if (o->deviceIndex == 0 || o->kind <= 0)
            return fail(QStringLiteral("--type %1: not a meter type (--help lists them)")
                            .arg(p.value(type)));
    }
    o->csv = p.value(csv);
    o->pdf = p.value(pdf);
    o->json = p.value(json);
    o->limitsFile = p.value(limits);
    o->referenceFile = p.value(reference);
    o->budgetFile = p.value(budget);
    o->jobFile = p.value(jobFile);
    if (p.isSet(referenceRecord)) {
        bool ok = false;
        const int n = p.value(referenceRecord).toInt(&ok);
        if (!ok || n < 0)
            return fail(QStringLiteral("--reference-record %1: not a record index (0, 1, ...)")
                            .arg(p.value(referenceRecord)));
        o->referenceRecord = n;
    }
    if (o->referenceRecord && !o->referenceFile.isEmpty())
        return fail(QStringLiteral("give --reference or --reference-record, not both"));
    if (!o->budgetFile.isEmpty() && !o->judgesLoss())
        return fail(QStringLiteral("--budget judges the loss against a reference: give "
                                   "--reference or --reference-record"));
    const QStringList outputs = {o->csv, o->pdf, o->json};
    if (outputs.count(QStringLiteral("-")) > 1)
        return fail(QStringLiteral("only one report can go to standard output"));
    if (p.isSet(record)) {
        bool ok = false;
        const int n = p.value(record).toInt(&ok);
        if (!ok || n < 0)
            return fail(
                QStringLiteral("--record %1: not a record index (0, 1, ...)").arg(p.value(record)));
        o->record = n;
    }
    // An archived download's kind is known once it is read.
    const QString why = o->fromArchive.isEmpty() ? recordProblem(*o) : QString();
    if (!why.isEmpty())
        return fail(why);
    if (p.isSet(unit)) {
        const QString u = p.value(unit).toLower();
        if (u != QStringLiteral("nm") && u != QStringLiteral("thz"))
            return fail(QStringLiteral("--unit %1: use nm or thz").arg(p.value(unit)));
        o->displayFreq = u == QStringLiteral("thz");
    }
    if (p.isSet(timeout)) {
        bool ok = false;
        const int s = p.value(timeout).toInt(&ok);
        if (!ok || s < 1 || s > 3600)
            return fail(
                QStringLiteral("--timeout %1: seconds from 1 to 3600").arg(p.value(timeout)));
        o->timeoutSeconds = s;
    }
    return Parsed::Run;
}

} // namespace ExportCommandLine
