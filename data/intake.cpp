#include "data/intake.h"

#include "data/catalogue.h"
#include "data/records.h"

#include <QCoreApplication>

#include <array>

namespace Intake {

namespace {

constexpr std::array<KindIntake, 13> kIntake{{
    {"CWDM Data", NameTest::FirstByte},
    {"DWDM-48 Data", NameTest::FirstByte},
    {"Vendral Data", NameTest::FirstTwoBytes},
    {"DWDM-96 Data", NameTest::Always},
    {"Tarnex-10 Data", NameTest::FirstTwoBytes},
    {"Caspel Data", NameTest::FirstTwoBytes},
    {"Caspel Data", NameTest::FirstTwoBytes},
    {"Caspel(64ch) Data", NameTest::FirstTwoBytes},
    {"Pelkin Data", NameTest::FirstByte},
    {"MPO Data", NameTest::FirstTwoBytes},
    {"MPO24 Data", NameTest::FirstTwoBytes},
    {"MPO16 Data", NameTest::FirstTwoBytes},
    {"MPO32 Data", NameTest::FirstTwoBytes},
}};

bool named(const QByteArray& name, NameTest test)
{
    const auto nonZero = [&name](int i) { return i < name.size() && name.at(i) != '\0'; };
    switch (test) {
    case NameTest::FirstByte:
        return nonZero(0);
    case NameTest::FirstTwoBytes:
        return nonZero(0) || nonZero(1);
    case NameTest::Always:
        return true;
    }
    return false;
}

} // namespace

const KindIntake* kindIntake(int kind)
{
    if (kind < Kind::First || kind > Kind::Last)
        return nullptr;
    return &kIntake[std::size_t(kind - Kind::First)];
}

QString dateTimeText(uint date, uint time)
{
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", int(date >> 16),
                             int((date >> 8) & 0xFF), int(date & 0xFF), int(time >> 16),
                             int((time >> 8) & 0xFF), int(time & 0xFF));
}

QString reportNameText(const QByteArray& name)
{
    return RecordValues::nameText(RecordValues::name(name));
}

QStringList rowTexts(int kind, int count, const QByteArray& name, uint date, uint time)
{
    const KindIntake* intake = kindIntake(kind);
    if (!intake)
        return {};
    // A name that starts with a zero byte but passes the two-byte test shows as an empty cell.
    const QString first =
        named(name, intake->nameTest) ? reportNameText(name) : QString::number(count + 1);
    return {first, QCoreApplication::translate("MainWindow", intake->typeLabel),
            dateTimeText(date, time)};
}

} // namespace Intake
