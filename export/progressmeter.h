#pragma once

#include <QElapsedTimer>

#include <cstdio>

// The download's progress on standard error: on a terminal one line redrawn in place, a bar with
// the count, the total and the rate; otherwise (a log, a pipe) a line at every tenth.
class ProgressMeter {
public:
    // `terminal`: redraw in place; `quiet`: print nothing.
    ProgressMeter(std::FILE* out, bool terminal, bool quiet);

    void start();
    // `done` of `total` records are in.
    void update(int done, int total);
    // Ends a line that was being redrawn, so that what follows starts on a line of its own.
    void finish();

private:
    double rate(int done) const;

    std::FILE* m_out;
    bool m_terminal;
    bool m_quiet;
    bool m_drawn = false;
    int m_lastTenth = 0;
    QElapsedTimer m_clock;
};
