#include "app/mainwindow.h"
#include "data/displayunit.h"
#include "dialogs/settingdialog.h"
#include "modaldialog.h"
#include "velumin_version.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <memory>

namespace {

// What the store holds for the display unit: nothing, wavelength or frequency.
enum Stored { Absent, Wavelength, Frequency };

// Opened here independently of the code under test, so that the organisation and key are checked.
QSettings openStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nuvra"),
                     QCoreApplication::applicationName());
}

const QString key = QStringLiteral("setting/display_freq");

void setStored(Stored stored)
{
    QSettings store = openStore();
    if (stored == Absent)
        store.remove(key);
    else
        store.setValue(key, stored == Frequency);
}

Stored stored()
{
    const QSettings store = openStore();
    if (!store.contains(key))
        return Absent;
    return store.value(key).toBool() ? Frequency : Wavelength;
}

} // namespace

class TestDisplayUnit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setApplicationVersion(QString::fromLatin1(VeluminVersion));
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void init() { setStored(Absent); }

    void startUp_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<bool>("displayFreq");
        QTest::addColumn<int>("unitIndex");
        QTest::addColumn<QString>("header");
        QTest::newRow("empty store") << int(Absent) << false << 0 << "Wavelength (nm)";
        QTest::newRow("stored wavelength") << int(Wavelength) << false << 0 << "Wavelength (nm)";
        QTest::newRow("stored frequency") << int(Frequency) << true << 1 << "Frequency (THz)";
    }
    void startUp()
    {
        QFETCH(int, before);
        QFETCH(bool, displayFreq);
        QFETCH(int, unitIndex);
        QFETCH(QString, header);
        setStored(Stored(before));
        MainWindow window;
        QCOMPARE(window.displayFreq(), displayFreq);
        QCOMPARE(unitCombo(window)->currentIndex(), unitIndex);
        QCOMPARE(detailHeader(window), header);
        // Start-up itself writes nothing new.
        QCOMPARE(stored(), Stored(before));
    }

    void toolBarChooser_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("after");
        QTest::newRow("frequency from empty") << int(Absent) << 1 << int(Frequency);
        QTest::newRow("wavelength from frequency") << int(Frequency) << 0 << int(Wavelength);
        QTest::newRow("cleared keeps frequency") << int(Frequency) << -1 << int(Frequency);
        QTest::newRow("cleared keeps empty") << int(Absent) << -1 << int(Absent);
    }
    void toolBarChooser()
    {
        QFETCH(int, before);
        QFETCH(int, index);
        QFETCH(int, after);
        setStored(Stored(before));
        MainWindow window;
        QComboBox* unit = unitCombo(window);
        const QString header = detailHeader(window);
        if (index < 0)
            unit->clear();
        else
            unit->setCurrentIndex(index);
        QCOMPARE(unit->currentIndex(), index);
        QCOMPARE(stored(), Stored(after));
        QCOMPARE(window.displayFreq(), after == Frequency);
        // The heading follows the unit at once.
        Q_UNUSED(header);
        QCOMPARE(detailHeader(window), after == Frequency ? QStringLiteral("Frequency (THz)")
                                                          : QStringLiteral("Wavelength (nm)"));
    }

    void storeIndex_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("after");
        QTest::newRow("0 stores wavelength") << int(Frequency) << 0 << int(Wavelength);
        QTest::newRow("1 stores frequency") << int(Absent) << 1 << int(Frequency);
        QTest::newRow("-1 stores nothing") << int(Absent) << -1 << int(Absent);
        QTest::newRow("-1 keeps frequency") << int(Frequency) << -1 << int(Frequency);
        QTest::newRow("2 stores nothing") << int(Wavelength) << 2 << int(Wavelength);
    }
    void storeIndex()
    {
        QFETCH(int, before);
        QFETCH(int, index);
        QFETCH(int, after);
        setStored(Stored(before));
        DisplayUnit::storeIndex(index);
        QCOMPARE(stored(), Stored(after));
        QCOMPARE(DisplayUnit::readDisplayFreq(), after == Frequency);
    }

    void dialogForm()
    {
        SettingDialog dialog;
        QCOMPARE(dialog.objectName(), QStringLiteral("SettingDialog"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Setting"));
        QCOMPARE(dialog.size(), QSize(356, 128));
        QVERIFY(!dialog.windowIcon().isNull());
        auto* tabs = dialog.findChild<QTabWidget*>(QStringLiteral("tabWidget"));
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), 1);
        QCOMPARE(tabs->widget(0)->objectName(), QStringLiteral("tab"));
        QCOMPARE(tabs->tabText(0), QStringLiteral("General"));
        auto* label = dialog.findChild<QLabel*>(QStringLiteral("label"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Display Unit"));
        QComboBox* unit = dialogCombo(&dialog);
        QVERIFY(unit);
        QCOMPARE(unit->count(), 2);
        QCOMPARE(unit->itemText(0), QStringLiteral("Wavelength (nm)"));
        QCOMPARE(unit->itemText(1), QStringLiteral("Frequency (THz)"));
        auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QVERIFY(buttons);
        QCOMPARE(buttons->orientation(), Qt::Vertical);
        QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    }

    void settingDialog_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("after");
        QTest::newRow("ok frequency") << int(Absent) << 1 << true << int(Frequency);
        QTest::newRow("ok wavelength") << int(Frequency) << 0 << true << int(Wavelength);
        QTest::newRow("cancel frequency") << int(Absent) << 1 << false << int(Absent);
        QTest::newRow("cancel wavelength") << int(Frequency) << 0 << false << int(Frequency);
    }
    void settingDialog()
    {
        QFETCH(int, before);
        QFETCH(int, choice);
        QFETCH(bool, ok);
        QFETCH(int, after);
        setStored(Stored(before));
        MainWindow window;
        const int unitIndex = unitCombo(window)->currentIndex();
        auto* setting = window.findChild<QAction*>(QStringLiteral("actionSetting"));
        QVERIFY(setting);

        int shownIndex = -2;
        const ModalOutcome outcome = runModal([&] { setting->trigger(); }, [&](QDialog* dialog) {
            QComboBox* unit = dialogCombo(dialog);
            auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            if (!unit || !buttons)
                return;
            shownIndex = unit->currentIndex();
            unit->setCurrentIndex(choice);
            buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        QVERIFY(outcome.seen);
        QVERIFY(outcome.closedByHandler);
        QCOMPARE(shownIndex, before == Frequency ? 1 : 0);
        QCOMPARE(stored(), Stored(after));
        QCOMPARE(window.displayFreq(), after == Frequency);
        // The tool-bar chooser does not follow the dialog.
        QCOMPARE(unitCombo(window)->currentIndex(), unitIndex);
    }

private:
    static QComboBox* unitCombo(const MainWindow& window)
    {
        auto* bar = window.findChild<QToolBar*>(QStringLiteral("toolBarControl"));
        return qobject_cast<QComboBox*>(bar->widgetForAction(bar->actions().constLast()));
    }
    static QString detailHeader(const MainWindow& window)
    {
        return window.findChild<QTreeWidget*>(QStringLiteral("treeDetailData"))->headerItem()->text(2);
    }
    static QComboBox* dialogCombo(QDialog* dialog)
    {
        return dialog->findChild<QComboBox*>(QStringLiteral("cbDisplayUnit"));
    }
};

QTEST_MAIN(TestDisplayUnit)
#include "tst_displayunit.moc"
