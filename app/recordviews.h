#pragma once

#include "data/limits.h"
#include "data/loss.h"
#include "data/measurement.h"

#include <QList>
#include <QString>

#include <optional>

class GraphWidget;
class QTreeWidgetItem;
class QWidget;

// What the main window and the archive window show of a record alike: its pass or fail mark in
// a record list, its detail rows with the failing readings marked, and its graph window.
namespace RecordViews {

// The record list row's mark: accepted or rejected, or no decoration at all when nothing judged
// the record, so that with limits off the list looks as it always did.
void markVerdict(QTreeWidgetItem* row, std::optional<bool> pass);

// Detail rows whose reading fails `limits`: the power cell red, the verdict and margin as its
// tip. Nothing is marked where the limits do not judge records of `kind`.
void markFailingCells(const Limits::LimitSet& limits, int kind,
                      const QList<QTreeWidgetItem*>& items,
                      const QList<std::optional<Limits::Reading>>& readings);

// The detail view's rows of `record` of `kind`, marked against `limits`; parentless, for the
// view to take in one go.
QList<QTreeWidgetItem*> detailItems(const Measurement& record, int kind, bool displayFreq,
                                    const QString& product, const Limits::LimitSet& limits);

// The graph window of `record`, the record list's `row`, titled with `product` and the row's
// type and date, with the limit lines where `limits` judge `kind`; made but not shown. Null
// when there is nothing to draw: after a warning to `parent` when no row is selected or the
// record is not one to draw.
GraphWidget* makeGraph(QWidget* parent, const QTreeWidgetItem* row, const Measurement* record,
                       const QString& product, int kind, bool displayFreq,
                       const Limits::LimitSet& limits);

// Use as Reference: `record`, the record list's `row`, from the meter `meter`, becomes the
// reference in force, named as the row names it. None, after a warning to `parent`, when no row
// is selected or the record has no lit channel.
std::optional<Loss::Reference> useAsReference(QWidget* parent, const QTreeWidgetItem* row,
                                              const Measurement* record, const QString& meter);

} // namespace RecordViews
