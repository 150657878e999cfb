#pragma once

#include "data/loss.h"
#include "data/measurement.h"

#include <QString>
#include <QWidget>

#include <optional>

class BudgetEditor;
class QLabel;
class QTreeWidget;

// Loss of one record against the reference in force, judged against the loss budget: per
// channel the reference, the reading, the loss, the budget, the margin and the verdict. The
// reference (set from a record, loaded from a file, or cleared) and the budget edited here are
// those in force (LossStore). A window of its own that follows the record the caller shows it.
class LossWindow : public QWidget {
    Q_OBJECT
public:
    explicit LossWindow(QWidget* parent = nullptr);

    // The record judged, of a meter named `product`; none clears the table.
    void showRecord(const std::optional<Measurement>& record, const QString& product);
    // false: channels are labelled by wavelength (nm); true: by frequency (THz).
    void setDisplayFreq(bool displayFreq);
    // Reads the reference in force again, after it was set elsewhere.
    void reload();

    // "North 1, Ruvo730 RV7300123, 2026-03-01 10:00:00": what the reference is and where it came
    // from, as far as it says.
    static QString referenceText(const Loss::Reference& reference);

private:
    QWidget* makeReferenceRow();
    void showReference();
    void showLoss();
    // Why the record is not judged, or an empty text when it is.
    QString notJudged() const;
    void loadReference();
    void clearReference();
    void loadBudget();
    void saveBudget();
    void budgetEdited();

    QLabel* m_reference = nullptr;
    QLabel* m_verdict = nullptr;
    QLabel* m_note = nullptr;
    QTreeWidget* m_tree = nullptr;
    BudgetEditor* m_budget = nullptr;
    Loss::Reference m_ref;
    std::optional<Measurement> m_record;
    QString m_product;
    bool m_displayFreq = false;
};
