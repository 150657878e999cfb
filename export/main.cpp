// velumin-export: downloads a meter's records and writes Velumin's reports, for scripts.

#include "data/logging.h"
#include "device/comports.h"
#include "export/archivedlist.h"
#include "export/exporter.h"
#include "export/exportoptions.h"
#include "export/portlist.h"
#include "export/teamcommands.h"
#include "velumin_version.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

namespace {
int interruptPipe[2] = {-1, -1};

void onInterrupt(int)
{
    // A second interrupt does not wait for the first to be seen: whatever the run is stuck in,
    // it ends now. Reports not yet committed stay in their temporary files, never half written.
    if (Exporter::interruptRequested.exchange(true))
        ::_exit(Exporter::Interrupted);
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(interruptPipe[1], &byte, 1);
}

// Ctrl-C, a hang-up and a kill end the run through the event loop, so that the port is closed
// and no report is committed; a report being written stops at its next record, and a run that
// has not reached the loop yet stops when it does.
void watchInterrupts(Exporter& exporter)
{
    if (::pipe2(interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(interruptPipe[0], QSocketNotifier::Read, &exporter);
    QObject::connect(notifier, &QSocketNotifier::activated, &exporter,
                     [&exporter] { exporter.interrupt(); });
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaction(s, &action, nullptr);
    // A file-size limit makes a write fail, which is reported, rather than end the program.
    signal(SIGXFSZ, SIG_IGN);
}
} // namespace
#else
namespace {
void watchInterrupts(Exporter&) {}
} // namespace
#endif

int main(int argc, char* argv[])
{
    // Standard error is the script's: it carries this program's own lines, its log where a rule
    // turns that on, and of Qt's other messages only the critical ones (the platform's notes on a
    // session without a runtime folder are noise there). QT_LOGGING_RULES still overrides these.
    qSetMessagePattern(QStringLiteral("velumin-export: %{message}"));
    QLoggingCategory::setFilterRules(QStringLiteral("*.info=false\n*.warning=false\n"
                                                    "velumin.*.warning=true"));
    // Nothing is shown: the PDF report needs fonts and a painter, not a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Velumin's own name: the window's settings (the display unit) are read from its store.
    QCoreApplication::setApplicationName(QStringLiteral("velumin"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(VeluminVersion));

    ExportOptions options;
    QString error;
    switch (ExportCommandLine::parse(QCoreApplication::arguments(), &options, &error)) {
    case ExportCommandLine::Parsed::Help:
        std::fputs(ExportCommandLine::helpText().toLocal8Bit().constData(), stdout);
        return 0;
    case ExportCommandLine::Parsed::Version:
        std::printf("velumin-export %s\n", VeluminVersion);
        return 0;
    case ExportCommandLine::Parsed::Error:
        std::fprintf(stderr, "velumin-export: %s (see velumin-export --help)\n",
                     error.toLocal8Bit().constData());
        return Exporter::Usage;
    case ExportCommandLine::Parsed::Run:
        break;
    }

    if (options.list) {
        const std::optional<QStringList> names = listSerialDeviceNames();
        if (!names) {
            std::fprintf(stderr, "velumin-export: the serial ports cannot be listed\n");
            return Exporter::PortUnavailable;
        }
        const QByteArray text = PortList::text(PortList::fromFriendlyNames(*names));
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : int(Exporter::WriteFailed);
    }

    if (options.archived)
        return ArchivedList::print(options.team);
    if (options.initTeam)
        return TeamCommands::init();
    if (options.push)
        return TeamCommands::push(options.quiet);

    Exporter exporter(options);
    int status = Exporter::Done;
    bool done = false;
    QObject::connect(&exporter, &Exporter::finished, &app, [&status, &done](int s) {
        status = s;
        done = true;
        QCoreApplication::exit(s);
    });
    watchInterrupts(exporter);
    exporter.start();
    // A run that ends at once (a bad limits file, a port that cannot be opened) has finished
    // before the loop could be told to end.
    if (!done)
        app.exec();
    // Once the download is archived, and only after a run that got the meter's records.
    if (options.archives() && (status == Exporter::Done || status == Exporter::LimitsFailed))
        TeamCommands::pushAfterDownload();
    return status;
}
