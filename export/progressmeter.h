#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <cstdio>

// The progress of the download, and of writing a long report, on standard error: on a terminal
// one line redrawn in place, a bar with the count, the total and the rate; otherwise (a log, a
// pipe) a line at every tenth.
class ProgressMeter {
public:
    // `terminal`: redraw in place; `quiet`: print nothing.
    ProgressMeter(std::FILE* out, bool terminal, bool quiet);

    // `label` names what is under way ("PDF report"); none for the download.
    void start(const QString& label = QString());
    // `done` of `total` records are in.
    void update(int done, int total);
    // Ends a line that was being redrawn, so that what follows starts on a line of its own.
    void finish();

private:
    double rate(int done) const;

    std::FILE* m_out;
    bool m_terminal;
    bool m_quiet;
    QByteArray m_label;
    bool m_drawn = false;
    int m_lastTenth = 0;
    QElapsedTimer m_clock;
};
