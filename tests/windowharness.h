#pragma once

#include "app/mainwindow.h"
#include "app/prompts.h"
#include "data/displayunit.h"
#include "logcapture.h"
#include "metersim.h"
#include "testsupport.h"
#include "velumin_version.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <utility>

// Plumbing of the tests that drive the main window, most of them against the simulated meter,
// so that every such test sets up, connects and counts prompts the same way.
namespace WindowHarness {

using TestSupport::child;
using TestSupport::deviceIndexFor;

// Chooses the device type, adding the chooser entries that kinds beyond the three offered
// need, and connects. Fails the test when the meter's identity did not arrive.
inline void connectAs(MainWindow& w, int deviceIndex)
{
    auto* chooser = child<QComboBox>(w, "cbSelectDevice");
    while (chooser->count() <= deviceIndex)
        chooser->addItem(QStringLiteral("kind %1").arg(chooser->count()));
    chooser->setCurrentIndex(deviceIndex);
    child<QAction>(w, "actionConnect")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!child<QLineEdit>(w, "editProductNum")->text().isEmpty(), 5000);
}

// Starts a meter of `kind` on COM7 with `args` added. Called before any window is built, so
// that the window's first port search finds it.
inline bool startMeter(MeterSim& sim, int kind, const QStringList& args)
{
    return sim.start(QStringList{"--kind", QString::number(kind), "--register", "COM7"} + args);
}

// What a test case sets up around the window: the application version it shows, a settings
// store of the test's own, and every prompt recorded and answered so that none blocks a test.
class Session {
public:
    using Answer = Prompts::Responder;

    // The prompts raised so far, oldest first; init() of each test clears them.
    QList<Prompts::Request> prompts;

    // initTestCase of a test that runs without a simulated meter too: prompts are answered with
    // `answer` (OK when empty).
    void start(Answer answer = {})
    {
        useOwnSettings();
        recordPrompts(std::move(answer));
    }

    // initTestCase of a test against the simulated meter: as start(), and logged lines are
    // collected. Without a simulated meter the whole test case is skipped.
    void startWithMeter(Answer answer = {})
    {
        useOwnSettings();
        // QTest::qSkip rather than QSKIP, whose empty variadic argument clang flags as pedantic.
        if (MeterSim::binary().isEmpty()) {
            QTest::qSkip("VELUMIN_METER_SIM is not set: no simulated meter", __FILE__, __LINE__);
            return;
        }
        recordPrompts(std::move(answer));
        LogCapture::install();
        m_capturing = true;
    }

    // init() of the tests that choose the display unit in the toolbar, which stores it: no
    // prompts of earlier tests, and the stored unit back to wavelength.
    void beginTest()
    {
        prompts.clear();
        DisplayUnit::storeIndex(0);
    }

    // cleanupTestCase: prompts and logged lines go where they normally go again.
    void stop()
    {
        if (m_capturing)
            LogCapture::uninstall();
        m_capturing = false;
        Prompts::setResponder({});
    }

    // Prompts for which `match` holds.
    template <typename Match> int count(Match match) const
    {
        return int(std::count_if(prompts.cbegin(), prompts.cend(), match));
    }

    // Prompts with this title and text.
    int count(const char* title, const char* text) const
    {
        return count([&](const Prompts::Request& p) {
            return p.title == QLatin1String(title) && p.text == QLatin1String(text);
        });
    }

    // The messages that end a download.
    int completions() const
    {
        return count("Get Data", "Measurement data retrieving has been completed!!");
    }

private:
    void useOwnSettings()
    {
        QCoreApplication::setApplicationVersion(QString::fromLatin1(VeluminVersion));
        // The simulated meter registers its port in the same per-user store the window reads.
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
            qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }

    void recordPrompts(Answer answer)
    {
        Prompts::setResponder([this, answer = std::move(answer)](const Prompts::Request& r) {
            prompts.append(r);
            return answer ? answer(r) : QMessageBox::Ok;
        });
    }

    QTemporaryDir m_config;
    bool m_capturing = false;
};

} // namespace WindowHarness
