#pragma once

#include "data/loss.h"

#include <QMap>
#include <QWidget>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class QTableWidget;

// Edits a loss budget: none, a global max loss, or one computed from the link (length,
// attenuation, connector pairs and splices), and per channel a max loss of its own or no check
// at all, in a table of the channels of the kind shown. Says `changed` on every edit.
class BudgetEditor : public QWidget {
    Q_OBJECT
public:
    explicit BudgetEditor(QWidget* parent = nullptr);

    // What the editor shows now.
    Loss::Budget budget() const;
    // Shows `budget`; nothing is said of it.
    void setBudget(const Loss::Budget& budget);
    // The table lists the channels of `kind`, labelled as the detail view labels them; the
    // overrides of channels it lacks are kept.
    void setKind(int kind, bool displayFreq);

Q_SIGNALS:
    void changed();

private:
    QWidget* makeLinkRow();
    void fillTable();
    // The overrides the table shows, with those kept for the channels it does not list. A max
    // loss that is not a number is left out, and its cell says so.
    QMap<int, Loss::ChannelBudget> overrides() const;
    void edited();
    void showMode();

    QComboBox* m_mode;
    QDoubleSpinBox* m_maxLoss;
    QDoubleSpinBox* m_length;
    QDoubleSpinBox* m_perKm;
    QSpinBox* m_pairs;
    QSpinBox* m_splices;
    QDoubleSpinBox* m_perPair;
    QDoubleSpinBox* m_perSplice;
    QLabel* m_linkBudget;
    QTableWidget* m_table;
    QString m_name;
    QMap<int, Loss::ChannelBudget> m_overrides;
    int m_kind = 0;
    bool m_displayFreq = false;
    bool m_filling = false;
};
