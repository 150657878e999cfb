#include "app/mainwindow.h"
#include "app/prompts.h"
#include "device/comports.h"
#include "device/discovery.h"
#include "dialogs/aboutdialog.h"
#include "modaldialog.h"
#include "velumin_version.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QFont>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>
#include <qcustomplot.h>

namespace {

// True when `icon` shows the compiled-in image `name` in the given state.
bool showsIcon(const QIcon& icon, const QString& name, QIcon::State state = QIcon::Off)
{
    const QImage expected =
        QIcon(QStringLiteral(":/icon/image/%1.png").arg(name)).pixmap(16, 16).toImage();
    return !icon.isNull() && !expected.isNull()
        && icon.pixmap(QSize(16, 16), QIcon::Normal, state).toImage() == expected;
}

// The entries of a menu or tool bar: object names, "separator", or the class of a widget.
QStringList entries(QWidget* bar)
{
    QStringList names;
    auto* toolBar = qobject_cast<QToolBar*>(bar);
    for (QAction* action : bar->actions()) {
        if (action->isSeparator())
            names << QStringLiteral("separator");
        else if (QWidget* widget = toolBar ? toolBar->widgetForAction(action) : nullptr;
                 widget && !qobject_cast<QToolButton*>(widget))
            names << QString::fromLatin1(widget->metaObject()->className());
        else
            names << action->objectName();
    }
    return names;
}

QStringList headerTexts(QTreeWidget* tree)
{
    QStringList texts;
    for (int column = 0; column < tree->columnCount(); ++column)
        texts << tree->headerItem()->text(column);
    return texts;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setApplicationVersion(QString::fromLatin1(VeluminVersion));
        // The close tests close the only window; the test run must go on afterwards.
        QApplication::setQuitOnLastWindowClosed(false);
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nuvra"),
                  QCoreApplication::applicationName())
            .clear();
    }
    void init() { m_window = std::make_unique<MainWindow>(); }
    void cleanup()
    {
        Prompts::setResponder({});
        m_window.reset();
    }

    void window()
    {
        QCOMPARE(m_window->objectName(), QStringLiteral("MainWindow"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Velumin V1.4.9K"));
        QCOMPARE(m_window->size(), QSize(934, 605));
        QVERIFY(showsIcon(m_window->windowIcon(), QStringLiteral("report_edit")));
    }

    void actions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<bool>("checkable");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("toolBar");
        QTest::newRow("actionOpen") << "&Open" << "folder" << false << true << "menu_File" << "";
        QTest::newRow("actionSave") << "Save" << "disk" << false << false << "menu_File" << "";
        QTest::newRow("actionExit") << "E&xit" << "door_out" << false << true << "menu_File" << "";
        QTest::newRow("actionConnect") << "Connect" << "delete" << true << false << "menu_Serial"
                                       << "toolBarConnect";
        QTest::newRow("actionGetData") << "Get Data" << "database_go" << false << false
                                       << "menu_Data" << "toolBarControl";
        QTest::newRow("actionSaveData") << "Save Data" << "database_save" << false << false
                                        << "menu_Data" << "toolBarControl";
        QTest::newRow("actionGraphData") << "Graph Data" << "chart_bar" << false << false
                                         << "menu_Data" << "toolBarControl";
        QTest::newRow("actionSetting") << "Setting" << "cog" << false << true << "menuSetting" << "";
        QTest::newRow("actionAbout") << "About" << "information" << false << true << "menuHelp" << "";
    }
    void actions()
    {
        QFETCH(QString, text);
        QFETCH(QString, icon);
        QFETCH(bool, checkable);
        QFETCH(bool, enabled);
        QFETCH(QString, menu);
        QFETCH(QString, toolBar);
        auto* action = m_window->findChild<QAction*>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(action);
        QCOMPARE(action->parent(), m_window.get());
        QCOMPARE(action->text(), text);
        QVERIFY(showsIcon(action->icon(), icon));
        QCOMPARE(action->isCheckable(), checkable);
        QVERIFY(!action->isChecked());
        QCOMPARE(action->isEnabled(), enabled);
        QVERIFY(action->shortcut().isEmpty());
        for (QMenu* m : m_window->menuBar()->findChildren<QMenu*>())
            QCOMPARE(m->actions().contains(action), m->objectName() == menu);
        for (QToolBar* t : m_window->findChildren<QToolBar*>())
            QCOMPARE(t->actions().contains(action), t->objectName() == toolBar);
    }

    void connectShowsAcceptWhenChecked()
    {
        auto* action = m_window->findChild<QAction*>(QStringLiteral("actionConnect"));
        QVERIFY(action);
        QVERIFY(showsIcon(action->icon(), QStringLiteral("accept"), QIcon::On));
    }

    void menuBar()
    {
        QStringList menus;
        for (QAction* action : m_window->menuBar()->actions())
            menus << (action->menu() ? action->menu()->objectName() : QStringLiteral("?"));
        QCOMPARE(menus, QStringList({"menu_File", "menu_Serial", "menu_Data", "menuSetting",
                                     "menuTools", "menuHelp"}));
        QCOMPARE(m_window->menuBar()->objectName(), QStringLiteral("menuBar"));
    }

    void menus_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("contents");
        QTest::newRow("menu_File") << "&File"
                                   << QStringList({"actionOpen", "actionSave", "separator",
                                                   "actionExit"});
        QTest::newRow("menu_Serial") << "De&vice" << QStringList({"actionConnect"});
        QTest::newRow("menu_Data") << "&Data"
                                   << QStringList({"actionGetData", "actionSaveData",
                                                   "actionGraphData"});
        QTest::newRow("menuSetting") << "Setting" << QStringList({"actionSetting"});
        QTest::newRow("menuTools")
            << "&Tools"
            << QStringList({"actionLimits", "actionExportReport", "separator", "actionSetReference",
                            "actionLoss", "actionCompare", "separator", "actionArchive"});
        QTest::newRow("menuHelp") << "&Help" << QStringList({"actionAbout"});
    }
    void menus()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, contents);
        auto* menu = m_window->findChild<QMenu*>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(menu);
        QCOMPARE(menu->title(), title);
        QCOMPARE(entries(menu), contents);
    }

    void toolBars_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("contents");
        QTest::newRow("toolBarConnect") << "" << QStringList({"QComboBox", "actionConnect"});
        QTest::newRow("toolBarControl")
            << "toolBar"
            << QStringList({"actionGetData", "actionSaveData", "actionGraphData", "separator",
                            "QComboBox"});
    }
    void toolBars()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, contents);
        auto* bar = m_window->findChild<QToolBar*>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(bar);
        QCOMPARE(bar->windowTitle(), title);
        QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        QCOMPARE(m_window->toolBarArea(bar), Qt::TopToolBarArea);
        QCOMPARE(entries(bar), contents);
    }

    void portChooser()
    {
        QComboBox* port = toolBarCombo("toolBarConnect", 0);
        QVERIFY(port);
        QCOMPARE(port->count(), 256);
        for (int n = 1; n <= 256; ++n) {
            QCOMPARE(port->itemText(n - 1), QStringLiteral("COM%1").arg(n));
            QVERIFY(port->itemIcon(n - 1).isNull());
            QVERIFY(!port->itemData(n - 1).isValid());
        }
    }

    // The ports the listing names are marked, their texts unchanged; the meter's is chosen.
    void portChooserMarksListedPorts()
    {
        setDeviceListing([] {
            return std::optional<QStringList>(
                {QStringLiteral("USB Serial (COM3)"),
                 QStringLiteral("STMicroelectronics Virtual COM Port (COM7)")});
        });
        MainWindow w;
        setDeviceListing({});
        auto* port =
            w.findChild<QToolBar*>(QStringLiteral("toolBarConnect"))->findChild<QComboBox*>();
        QCOMPARE(port->currentText(), QStringLiteral("COM7"));
        for (int n = 1; n <= 256; ++n) {
            const bool listed = n == 3 || n == 7;
            QCOMPARE(port->itemText(n - 1), QStringLiteral("COM%1").arg(n));
            QCOMPARE(port->itemData(n - 1, Qt::FontRole).value<QFont>().bold(), listed);
            QCOMPARE(port->itemData(n - 1, Qt::ToolTipRole).isValid(), listed);
        }
        QCOMPARE(port->itemData(2, Qt::ToolTipRole).toString(),
                 devicePathForPort(QStringLiteral("COM3")) + QStringLiteral(": USB Serial"));
    }

    void unitChooser()
    {
        QComboBox* unit = toolBarCombo("toolBarControl", 4);
        QVERIFY(unit);
        QCOMPARE(unit->count(), 2);
        QCOMPARE(unit->itemText(0), QStringLiteral("Wavelength (nm)"));
        QCOMPARE(unit->itemText(1), QStringLiteral("Frequency (Thz)"));
    }

    void deviceChooser()
    {
        auto* device = m_window->findChild<QComboBox*>(QStringLiteral("cbSelectDevice"));
        QVERIFY(device);
        QStringList texts;
        for (int i = 0; i < device->count(); ++i)
            texts << device->itemText(i);
        QCOMPARE(texts, QStringList({"NONE", "CWDM-18 (Ruvo 730)", "DWDM-48 (Ruvo 720)",
                                     "Vendral-8 (Ruvo 710)"}));
        QCOMPARE(device->currentIndex(), 0);
    }

    void dataPage()
    {
        auto* tab = m_window->findChild<QTabWidget*>(QStringLiteral("tabMain"));
        QVERIFY(tab);
        QVERIFY(!tab->isEnabled());
        QCOMPARE(tab->count(), 1);
        QCOMPARE(tab->widget(0)->objectName(), QStringLiteral("tab_2"));
        QCOMPARE(tab->tabText(0), QStringLiteral("Data"));
        QCOMPARE(tab->currentIndex(), 0);
    }

    void treeHeaders_data()
    {
        QTest::addColumn<QStringList>("headers");
        QTest::newRow("treeData") << QStringList({"Name", "Type", "Date"});
        QTest::newRow("treeDetailData")
            << QStringList({"No", "ITU Channel #", "Wavelength (nm)", "Power [dBm]"});
    }
    void treeHeaders()
    {
        QFETCH(QStringList, headers);
        auto* tree = m_window->findChild<QTreeWidget*>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(tree);
        QCOMPARE(headerTexts(tree), headers);
        QCOMPARE(tree->topLevelItemCount(), 0);
        QVERIFY(!tree->isHidden());
    }

    void deviceTree()
    {
        auto* tree = m_window->findChild<QTreeWidget*>(QStringLiteral("treeDevice"));
        QVERIFY(tree);
        QVERIFY(tree->isHidden());
        QVERIFY(tree->isHeaderHidden());
        QCOMPARE(headerTexts(tree), QStringList({"DevInfo"}));
        QStringList groups;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            groups << tree->topLevelItem(i)->text(0);
            QVERIFY(showsIcon(tree->topLevelItem(i)->icon(0), QStringLiteral("ipod")));
            QCOMPARE(tree->topLevelItem(i)->childCount(), 0);
        }
        QCOMPARE(groups, QStringList({"CWDM-18", "DWDM-48", "DWDM-96", "Vendral-8", "Tarnex-8",
                                      "Tarnex-56"}));
    }

    void plotHidden()
    {
        auto* plot = m_window->findChild<QWidget*>(QStringLiteral("customPlot"));
        QVERIFY(plot);
        QVERIFY(qobject_cast<QCustomPlot*>(plot));
        QVERIFY(plot->isHidden());
    }

    void dock()
    {
        auto* dock = m_window->findChild<QDockWidget*>(QStringLiteral("dockWidget"));
        QVERIFY(dock);
        QCOMPARE(dock->windowTitle(), QStringLiteral("Device Information"));
        QCOMPARE(dock->features(), QDockWidget::NoDockWidgetFeatures);
        QCOMPARE(m_window->dockWidgetArea(dock), Qt::LeftDockWidgetArea);
        QCOMPARE(dock->minimumSize(), QSize(250, 311));
        auto* select = dock->findChild<QGroupBox*>(QStringLiteral("groupBox"));
        QVERIFY(select);
        QCOMPARE(select->title(), QStringLiteral("Select Device"));
        auto* info = dock->findChild<QGroupBox*>(QStringLiteral("gbSystemInfor"));
        QVERIFY(info);
        QCOMPARE(info->title(), QStringLiteral("System Information"));
        QVERIFY(info->isEnabled());
    }

    void systemInfo_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("edit");
        QTest::newRow("product") << "label" << "Product No." << "editProductNum";
        QTest::newRow("serial") << "label_2" << "Serial No." << "editSerialNum";
        QTest::newRow("hardware") << "label_3" << "H/W Ver." << "editHwVer";
        QTest::newRow("firmware") << "label_4" << "F/W Ver." << "editFwVer";
    }
    void systemInfo()
    {
        QFETCH(QString, label);
        QFETCH(QString, text);
        QFETCH(QString, edit);
        auto* box = m_window->findChild<QGroupBox*>(QStringLiteral("gbSystemInfor"));
        QVERIFY(box);
        auto* caption = box->findChild<QLabel*>(label);
        auto* field = box->findChild<QLineEdit*>(edit);
        QVERIFY(caption);
        QVERIFY(field);
        QCOMPARE(caption->text(), text);
        QVERIFY(field->isReadOnly());
        QVERIFY(field->text().isEmpty());
    }

    void statusBar()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QStatusBar* bar = m_window->statusBar();
        QCOMPARE(bar->objectName(), QStringLiteral("statusBar"));
        auto* label = bar->findChild<QLabel*>();
        auto* progress = bar->findChild<QProgressBar*>();
        auto* stop = bar->findChild<QToolButton*>();
        QVERIFY(label);
        QVERIFY(progress);
        QVERIFY(stop);
        QVERIFY(label->text().isEmpty());
        QVERIFY(showsIcon(stop->icon(), QStringLiteral("delete")));
        QTRY_VERIFY(label->geometry().right() < progress->geometry().left());
        QVERIFY(progress->geometry().right() < stop->geometry().left());
    }

    void aboutDialog()
    {
        auto* about = m_window->findChild<QAction*>(QStringLiteral("actionAbout"));
        QVERIFY(about);
        QString name, title, text, button;
        bool hasIcon = false;
        const ModalOutcome outcome = runModal([&] { about->trigger(); }, [&](QDialog* dialog) {
            name = dialog->objectName();
            title = dialog->windowTitle();
            hasIcon = showsIcon(dialog->windowIcon(), QStringLiteral("information"));
            if (auto* label = dialog->findChild<QLabel*>(QStringLiteral("labelCopyright")))
                text = label->text();
            if (auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("btnOk"))) {
                button = ok->text();
                ok->click();
            }
        });
        QVERIFY(outcome.seen);
        QCOMPARE(name, QStringLiteral("AboutDialog"));
        QCOMPARE(title, QStringLiteral("About"));
        QVERIFY(hasIcon);
        QCOMPARE(text, QStringLiteral("Velumin V1.4.9K"));
        QCOMPARE(button, QStringLiteral("OK"));
        QVERIFY(outcome.closedByHandler);
    }

    void aboutForm()
    {
        AboutDialog dialog;
        QCOMPARE(dialog.size(), QSize(303, 61));
        auto* form = qobject_cast<QFormLayout*>(dialog.layout());
        QVERIFY(form);
        QCOMPARE(form->objectName(), QStringLiteral("formLayout"));
        QCOMPARE(form->itemAt(0, QFormLayout::FieldRole)->widget()->objectName(),
                 QStringLiteral("labelCopyright"));
        QLayout* buttonRow = form->itemAt(1, QFormLayout::SpanningRole)->layout();
        QVERIFY(buttonRow);
        QCOMPARE(buttonRow->objectName(), QStringLiteral("horizontalLayout"));
        QCOMPARE(buttonRow->count(), 3);
        QVERIFY(buttonRow->itemAt(0)->spacerItem());
        QCOMPARE(buttonRow->itemAt(1)->widget()->objectName(), QStringLiteral("btnOk"));
        QVERIFY(buttonRow->itemAt(2)->spacerItem());
    }

    void exitAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stays");
        QTest::newRow("no keeps the window") << int(QMessageBox::No) << true;
        QTest::newRow("ok closes it") << int(QMessageBox::Ok) << false;
    }
    void exitAsks()
    {
        QFETCH(int, answer);
        QFETCH(bool, stays);
        QList<Prompts::Request> asked;
        Prompts::setResponder([&](const Prompts::Request& request) {
            asked << request;
            return QMessageBox::StandardButton(answer);
        });
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->findChild<QAction*>(QStringLiteral("actionExit"))->trigger();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.first().icon, QMessageBox::Warning);
        QCOMPARE(asked.first().title, QCoreApplication::applicationName());
        QCOMPARE(asked.first().text, QStringLiteral("Do you want to exit?"));
        QCOMPARE(asked.first().buttons, QMessageBox::Ok | QMessageBox::No);
        QCOMPARE(m_window->isVisible(), stays);
    }

private:
    // The combo box shown at `position` among the entries of the named tool bar.
    QComboBox* toolBarCombo(const char* toolBarName, int position) const
    {
        auto* bar = m_window->findChild<QToolBar*>(QString::fromLatin1(toolBarName));
        if (!bar || bar->actions().size() <= position)
            return nullptr;
        return qobject_cast<QComboBox*>(bar->widgetForAction(bar->actions().at(position)));
    }

    std::unique_ptr<MainWindow> m_window;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
