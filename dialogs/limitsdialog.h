#pragma once

#include "data/limits.h"
#include "data/limitsstore.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTableWidget;

// Edits a set of limits: on or off, a name, the kind they are made for, the global minimum,
// maximum and maximum spread, and per-channel overrides in a table of the kind's channels by
// position. Load… and Save… read and write limits files through the file chooser the caller
// hands in.
class LimitsDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the channels of `kind`, or of the kind the limits were made for when they name one;
    // `displayFreq` chooses the labels' unit.
    LimitsDialog(const Limits::LimitSet& limits, int kind, bool displayFreq,
                 QWidget* parent = nullptr);

    // Asked for a file to load (save false) or to save under; an empty answer cancels.
    using FileChooser = std::function<QString(bool save)>;
    // Told what went wrong with a file.
    using Warn = std::function<void(const QString& text)>;
    void setFileHandlers(FileChooser chooser, Warn warn);

    // What the dialog shows now; false, with the problem in `error`, when a field is not a
    // number or a minimum lies above its maximum.
    bool limits(Limits::LimitSet* out, QString* error) const;

public Q_SLOTS:
    void accept() override;

private:
    int kind() const;
    void display(const Limits::LimitSet& limits);
    // One row per channel of the chosen kind, with the overrides kept for it.
    void fillTable();
    // The overrides the table shows, with those kept for channels the kind lacks; false, with
    // the problem in `error`, when a field is not a number.
    bool overrides(QMap<int, Limits::Override>* out, QString* error) const;
    void switchOn();
    // What the dialog shows, or false after telling the user what is wrong with it.
    bool shownLimits(Limits::LimitSet* out) const;
    void warn(const QString& text) const;
    void load();
    void save();

    QCheckBox* m_enabled;
    QLineEdit* m_name;
    QComboBox* m_kind;
    QLineEdit* m_min;
    QLineEdit* m_max;
    QLineEdit* m_spread;
    QTableWidget* m_table;
    bool m_displayFreq;
    // The overrides of every position; the table shows those of the chosen kind.
    QMap<int, Limits::Override> m_overrides;
    bool m_filling = false;
    int m_shownKind = 0; // the kind whose channels the table shows
    FileChooser m_chooser;
    Warn m_warn;
};
