#include "resources/resources.h"

#include <QIcon>
#include <QTest>

// The twelve icons the windows refer to must be compiled in under their resource paths.
class TestResources : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void iconPresent_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* n : {"accept", "chart_bar", "cog", "database_go", "database_save", "delete",
                              "disk", "door_out", "folder", "information", "ipod", "report_edit"})
            QTest::newRow(n) << QString::fromLatin1(n);
    }
    void iconPresent()
    {
        QFETCH(QString, name);
        initVeluminResources();
        const QString path = QStringLiteral(":/icon/image/%1.png").arg(name);
        QVERIFY2(QFile::exists(path), qPrintable(path));
        QVERIFY(!QIcon(path).pixmap(16, 16).isNull());
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
