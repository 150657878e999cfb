#include "data/catalogue.h"

#include <QLatin1String>

#include <cstdint>

namespace {

struct GridPlan {
    int firstHundredths;  // frequency of channel 0 in hundredths of a THz
    int stepHundredths;
    int count;
};

constexpr GridPlan gridPlan(DwdmGrid grid)
{
    switch (grid) {
    case DwdmGrid::Grid48:
        return {19640, 10, 48};
    case DwdmGrid::Grid49:
        return {19620, 10, 49};
    case DwdmGrid::Grid96:
        return {19645, 5, 96};
    case DwdmGrid::None:
        break;
    }
    return {0, 0, 0};
}

constexpr int gridHundredths(DwdmGrid grid, int k)
{
    const GridPlan plan = gridPlan(grid);
    return plan.firstHundredths - plan.stepHundredths * k;
}

QString hundredthsText(std::int64_t value)
{
    return QStringLiteral("%1.%2").arg(value / 100).arg(value % 100, 2, 10, QLatin1Char('0'));
}

// Integer arithmetic, so that the half-up rounding is exact: with f = n / 100 THz,
// 100 x 299792.458 / f = 2997924580 / n.
QString wavelengthText(int hundredthsThz)
{
    constexpr std::int64_t kNumerator = 2997924580;
    const std::int64_t n = hundredthsThz;
    return hundredthsText((2 * kNumerator + n) / (2 * n));
}

enum class Unit { Wavelength, FrequencyTwoDecimals, FrequencyOneDecimal };

QStringList gridLabels(DwdmGrid grid, Unit unit)
{
    QStringList labels;
    const int count = gridPlan(grid).count;
    labels.reserve(count + 1);
    for (int k = 0; k < count; ++k) {
        const int f = gridHundredths(grid, k);
        switch (unit) {
        case Unit::Wavelength:
            labels << wavelengthText(f);
            break;
        case Unit::FrequencyTwoDecimals:
            labels << hundredthsText(f);
            break;
        case Unit::FrequencyOneDecimal:
            // The 100 GHz grids never carry a hundredths digit, so this drops nothing.
            labels << QStringLiteral("%1.%2").arg(f / 100).arg((f % 100) / 10);
            break;
        }
    }
    return labels;
}

const QString& totalText()
{
    static const QString text = QStringLiteral("Total");
    return text;
}

QStringList withTotal(QStringList labels)
{
    labels << totalText();
    return labels;
}

QStringList combined(const QStringList& prefix, const QStringList& grid)
{
    return withTotal(prefix + grid);
}

const QStringList& tarnexFixedWavelengths()
{
    static const QStringList list{"1290", "1291", "1293", "1295", "1471", "1491", "1591", "1611"};
    return list;
}

const QStringList& tarnex64Cwdm()
{
    static const QStringList list{"1270", "1290", "1310", "1330", "1350", "1370", "1390", "1410",
                                  "1430", "1450", "1470", "1490", "1510", "1590", "1610"};
    return list;
}

} // namespace

const QStringList& cwdm18Wavelengths()
{
    static const QStringList list{"1270", "1290", "1310", "1330", "1350", "1370",
                                  "1390", "1410", "1430", "1450", "1470", "1490",
                                  "1510", "1530", "1550", "1570", "1590", "1610"};
    return list;
}

const QStringList& lanWdmWavelengths()
{
    static const QStringList list{"1295.56", "1300.05", "1304.58", "1309.14", "TOTAL"};
    return list;
}

const QStringList& lanWdmFrequencies()
{
    static const QStringList list{"231.4", "230.6", "229.8", "229.0", "TOTAL"};
    return list;
}

const QStringList& cwdm4Wavelengths()
{
    static const QStringList list{"1271", "1291", "1311", "1331", "TOTAL"};
    return list;
}

const QStringList& tarnex8Wavelengths()
{
    static const QStringList list{"1290.55", "1291.65", "1293.30", "1295.55", "1471",
                                  "1491",    "1591",    "1611",    "1310",    "1550"};
    return list;
}

const QStringList& totalWavelengths()
{
    static const QStringList list{"1310", "1470", "1550", "1610"};
    return list;
}

const QStringList& dwdm48Frequencies()
{
    static const QStringList list =
        withTotal(gridLabels(DwdmGrid::Grid48, Unit::FrequencyTwoDecimals));
    return list;
}

const QStringList& dwdm48Wavelengths()
{
    static const QStringList list = withTotal(gridLabels(DwdmGrid::Grid48, Unit::Wavelength));
    return list;
}

const QStringList& dwdm96Frequencies()
{
    static const QStringList list = gridLabels(DwdmGrid::Grid96, Unit::FrequencyTwoDecimals);
    return list;
}

const QStringList& dwdm96Wavelengths()
{
    static const QStringList list = gridLabels(DwdmGrid::Grid96, Unit::Wavelength);
    return list;
}

const QStringList& dwdm49Frequencies()
{
    static const QStringList list =
        withTotal(gridLabels(DwdmGrid::Grid49, Unit::FrequencyTwoDecimals));
    return list;
}

const QStringList& dwdm49Wavelengths()
{
    static const QStringList list = withTotal(gridLabels(DwdmGrid::Grid49, Unit::Wavelength));
    return list;
}

const QStringList& tarnex56Wavelengths()
{
    static const QStringList list =
        combined(tarnexFixedWavelengths(), gridLabels(DwdmGrid::Grid48, Unit::Wavelength));
    return list;
}

const QStringList& tarnex56Frequencies()
{
    // Unlike tarnex57Frequencies, only the last four fixed wavelengths carry "nm" here.
    static const QStringList list = combined(
        {"1290", "1291", "1293", "1295", "1471nm", "1491nm", "1591nm", "1611nm"},
        gridLabels(DwdmGrid::Grid48, Unit::FrequencyOneDecimal));
    return list;
}

const QStringList& tarnex57Wavelengths()
{
    static const QStringList list =
        combined(tarnexFixedWavelengths(), gridLabels(DwdmGrid::Grid49, Unit::Wavelength));
    return list;
}

const QStringList& tarnex57Frequencies()
{
    static const QStringList list = combined(
        {"1290nm", "1291nm", "1293nm", "1295nm", "1471nm", "1491nm", "1591nm", "1611nm"},
        gridLabels(DwdmGrid::Grid49, Unit::FrequencyOneDecimal));
    return list;
}

const QStringList& tarnex64Wavelengths()
{
    static const QStringList list =
        combined(tarnex64Cwdm(), gridLabels(DwdmGrid::Grid49, Unit::Wavelength));
    return list;
}

const QStringList& tarnex64Frequencies()
{
    static const QStringList list =
        combined(tarnex64Cwdm(), gridLabels(DwdmGrid::Grid49, Unit::FrequencyTwoDecimals));
    return list;
}

const QStringList& vendral8Labels(const QString& productName, bool displayFreq)
{
    if (productName.contains(QLatin1String("-8N-40"), Qt::CaseInsensitive))
        return cwdm4Wavelengths();
    return displayFreq ? lanWdmFrequencies() : lanWdmWavelengths();
}

int gridChannelCount(DwdmGrid grid)
{
    return gridPlan(grid).count;
}

double ituChannelNumber(DwdmGrid grid, int k)
{
    if (k < 0 || k >= gridChannelCount(grid))
        return 0.0;
    return (gridHundredths(grid, k) - 19000) / 10.0;
}

QString ituChannelText(DwdmGrid grid, int k)
{
    if (k < 0 || k >= gridChannelCount(grid))
        return QString();
    const double number = ituChannelNumber(grid, k);
    if (grid == DwdmGrid::Grid96)
        return QString::number(number, 'f', 1);
    return QString::number(static_cast<int>(number));
}

QString totalLabel(int value)
{
    if (value < 0 || value >= totalWavelengths().size())
        return totalText();
    return QLatin1String("T_") + totalWavelengths().at(value);
}
