#include "dialogs/limitsdialog.h"

#include "dialogs/channelrows.h"

#include "data/detail.h"
#include "data/kinds.h"
#include "graph/graphtable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

enum Column { NumberColumn, LabelColumn, CheckColumn, MinColumn, MaxColumn };

QString numberText(const std::optional<double>& v)
{
    return v ? QString::number(*v) : QString();
}

// An empty field is no limit; anything else must be a number.
bool readField(const QString& text, const QString& what, std::optional<double>* out, QString* error)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        out->reset();
        return true;
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        *error = LimitsDialog::tr("%1 is not a number: %2").arg(what, t);
        return false;
    }
    *out = v;
    return true;
}

} // namespace

LimitsDialog::LimitsDialog(const Limits::LimitSet& limits, int kind, bool displayFreq,
                           QWidget* parent)
    : QDialog(parent)
    , m_enabled(new QCheckBox(tr("Judge the records against these limits")))
    , m_name(new QLineEdit)
    , m_kind(new QComboBox)
    , m_min(new QLineEdit)
    , m_max(new QLineEdit)
    , m_spread(new QLineEdit)
    , m_table(new QTableWidget(0, 5))
    , m_displayFreq(displayFreq)
{
    setObjectName(QStringLiteral("LimitsDialog"));
    setWindowTitle(tr("Limits"));
    m_enabled->setObjectName(QStringLiteral("checkEnabled"));
    m_name->setObjectName(QStringLiteral("editName"));
    m_kind->setObjectName(QStringLiteral("cbKind"));
    m_min->setObjectName(QStringLiteral("editMin"));
    m_max->setObjectName(QStringLiteral("editMax"));
    m_spread->setObjectName(QStringLiteral("editMaxSpread"));
    m_table->setObjectName(QStringLiteral("tableChannels"));
    for (QLineEdit* e : {m_min, m_max, m_spread})
        e->setPlaceholderText(tr("none"));
    for (int k = Kind::First; k <= Kind::Last; ++k)
        m_kind->addItem(kindTitle(k), k);
    m_kind->setCurrentIndex(std::max(0, m_kind->findData(kindInfo(kind) ? kind : Kind::First)));

    auto* form = new QFormLayout;
    form->addRow(tr("Name:"), m_name);
    form->addRow(tr("Device type:"), m_kind);
    form->addRow(tr("Minimum (dBm):"), m_min);
    form->addRow(tr("Maximum (dBm):"), m_max);
    form->addRow(tr("Maximum spread (dB):"), m_spread);

    m_table->setHorizontalHeaderLabels(
        {tr("Channel"), tr("Label"), tr("Checked"), tr("Minimum"), tr("Maximum")});
    m_table->verticalHeader()->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* loadButton = buttons->addButton(tr("Load…"), QDialogButtonBox::ActionRole);
    QPushButton* saveButton = buttons->addButton(tr("Save…"), QDialogButtonBox::ActionRole);
    loadButton->setObjectName(QStringLiteral("btnLoad"));
    saveButton->setObjectName(QStringLiteral("btnSave"));
    connect(buttons, &QDialogButtonBox::accepted, this, &LimitsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &LimitsDialog::reject);
    connect(loadButton, &QPushButton::clicked, this, &LimitsDialog::load);
    connect(saveButton, &QPushButton::clicked, this, &LimitsDialog::save);
    // A value typed in means the user wants it judged; the box can still be unchecked after.
    for (QLineEdit* e : {m_min, m_max, m_spread})
        connect(e, &QLineEdit::textEdited, this, &LimitsDialog::switchOn);
    connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!m_filling && item->column() >= MinColumn && !item->text().trimmed().isEmpty())
            switchOn();
    });
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this] {
        QString error;
        if (overrides(&m_overrides, &error)) {
            fillTable();
            return;
        }
        // What the table shows is no set of overrides yet: it stays, and so does its kind.
        warn(error);
        const QSignalBlocker quiet(m_kind);
        m_kind->setCurrentIndex(m_kind->findData(m_shownKind));
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_enabled);
    layout->addLayout(form);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(460, 560);
    display(limits);
}

void LimitsDialog::setFileHandlers(FileChooser chooser, Warn warn)
{
    m_chooser = std::move(chooser);
    m_warn = std::move(warn);
}

int LimitsDialog::kind() const
{
    return m_kind->currentData().toInt();
}

void LimitsDialog::switchOn()
{
    m_enabled->setChecked(true);
}

void LimitsDialog::display(const Limits::LimitSet& limits)
{
    m_enabled->setChecked(limits.enabled);
    m_name->setText(limits.name);
    m_min->setText(numberText(limits.min));
    m_max->setText(numberText(limits.max));
    m_spread->setText(numberText(limits.maxSpread));
    m_overrides = limits.channels;
    const QSignalBlocker quiet(m_kind);
    if (kindInfo(limits.kind))
        m_kind->setCurrentIndex(m_kind->findData(limits.kind));
    fillTable();
}

void LimitsDialog::fillTable()
{
    m_filling = true;
    m_shownKind = kind();
    const int channels = channelCount(kind());
    // Labelled as the detail view labels them.
    const QStringList labels =
        Graph::labels(kind(), Detail::labelsInFrequency(kind(), m_displayFreq, QString()));
    m_table->setRowCount(channels);
    for (int row = 0; row < channels; ++row) {
        const Limits::Override o = m_overrides.value(row + 1);
        ChannelRows::setFixedCells(m_table, row, labels.value(row), o.check);
        m_table->setItem(row, MinColumn, new QTableWidgetItem(numberText(o.min)));
        m_table->setItem(row, MaxColumn, new QTableWidgetItem(numberText(o.max)));
    }
    m_table->resizeColumnsToContents();
    m_filling = false;
}

bool LimitsDialog::overrides(QMap<int, Limits::Override>* out, QString* error) const
{
    QMap<int, Limits::Override> all = m_overrides;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const int position = row + 1;
        Limits::Override o;
        o.check = m_table->item(row, CheckColumn)->checkState() == Qt::Checked;
        const QString where = tr("Channel %1: the %2").arg(position);
        if (!readField(m_table->item(row, MinColumn)->text(), where.arg(tr("minimum")), &o.min,
                       error) ||
            !readField(m_table->item(row, MaxColumn)->text(), where.arg(tr("maximum")), &o.max,
                       error))
            return false;
        all.remove(position);
        if (!o.check || o.min || o.max)
            all.insert(position, o);
    }
    *out = all;
    return true;
}

bool LimitsDialog::limits(Limits::LimitSet* out, QString* error) const
{
    Limits::LimitSet l;
    l.enabled = m_enabled->isChecked();
    l.name = m_name->text().trimmed();
    l.kind = kind();
    if (!readField(m_min->text(), tr("The minimum"), &l.min, error) ||
        !readField(m_max->text(), tr("The maximum"), &l.max, error) ||
        !readField(m_spread->text(), tr("The maximum spread"), &l.maxSpread, error) ||
        !overrides(&l.channels, error))
        return false;
    // The file's own rules decide what is consistent, so that the dialog accepts exactly what
    // a limits file may hold.
    const std::optional<Limits::LimitSet> checked = Limits::fromJson(Limits::toJson(l), error);
    if (!checked)
        return false;
    *out = *checked;
    return true;
}

void LimitsDialog::warn(const QString& text) const
{
    if (m_warn)
        m_warn(text);
}

bool LimitsDialog::shownLimits(Limits::LimitSet* out) const
{
    QString error;
    if (limits(out, &error))
        return true;
    warn(error);
    return false;
}

void LimitsDialog::accept()
{
    Limits::LimitSet l;
    if (shownLimits(&l))
        QDialog::accept();
}

void LimitsDialog::load()
{
    const QString path = m_chooser ? m_chooser(false) : QString();
    if (path.isEmpty())
        return;
    QString error;
    const std::optional<Limits::LimitSet> loaded = LimitsStore::readFile(path, &error);
    if (!loaded) {
        warn(tr("The limits in %1 were not loaded: %2.").arg(path, error));
        return;
    }
    display(*loaded);
    const QList<int> foreign = Limits::foreignChannels(*loaded, kind());
    if (!foreign.isEmpty()) {
        QStringList positions;
        for (int p : foreign)
            positions << QString::number(p);
        warn(tr("The limits in %1 hold overrides for channels that %2 lacks: %3. They are kept "
                "and judge nothing.")
                 .arg(path, kindTitle(kind()), positions.join(QStringLiteral(", "))));
    }
}

void LimitsDialog::save()
{
    Limits::LimitSet l;
    if (!shownLimits(&l))
        return;
    const QString path = m_chooser ? m_chooser(true) : QString();
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QByteArray json = Limits::toJson(l);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit())
        warn(tr("The limits were not saved to %1: %2.").arg(path, file.errorString()));
}
