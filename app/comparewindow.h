#pragma once

#include "data/measurement.h"
#include "files/archive.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <memory>

class ArchiveStore;
class QComboBox;
class QLabel;
class QTreeWidget;

// Two records side by side, A and B, each chosen from the main window's download or from any
// archived one: per channel A, B and A − B, and the largest difference. Records of different
// kinds or channel plans are not compared, and the window says why. Reads the archive at `path`.
class CompareWindow : public QWidget {
    Q_OBJECT
public:
    explicit CompareWindow(const QString& path, QWidget* parent = nullptr);
    ~CompareWindow() override;

    // The main window's download: the records of its meter's kind, from `product` `serial`.
    void setCurrent(const QString& product, const QString& serial,
                    const QList<Measurement>& records);
    // false: channels are labelled by wavelength (nm); true: by frequency (THz).
    void setDisplayFreq(bool displayFreq);

public Q_SLOTS:
    // Reads the archive's downloads again; the chosen sources and records stay chosen.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Where a side's records come from, and what they are.
    struct Side {
        QComboBox* source = nullptr;
        QComboBox* record = nullptr;
        QList<Measurement> records;
        QString product;
    };

    QWidget* makeChooser(Side& side, const QString& title, const char* name);
    void fillSources(Side& side);
    // Reads the records of the side's source and lists them, keeping the chosen row.
    void sourceChosen(Side& side);
    const Measurement* chosen(const Side& side) const;
    void showComparison();

    QString m_path;
    std::unique_ptr<ArchiveStore> m_store;
    QList<Archive::Download> m_downloads;
    QString m_currentMeter;
    QString m_currentProduct;
    QList<Measurement> m_current;
    bool m_displayFreq = false;
    Side m_a;
    Side m_b;
    QLabel* m_error = nullptr;
    QLabel* m_problem = nullptr;
    QLabel* m_largest = nullptr;
    QTreeWidget* m_tree = nullptr;
};
