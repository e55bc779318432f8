#pragma once

#include <cstdio>

/** Render progress on stderr: a bar on a terminal, a line per tenth otherwise. */
class ProgressMeter
{
public:
    explicit ProgressMeter (double totalSeconds);
    void update (double seconds);
    void finish();

private:
    double total;
    bool terminal;
    int lastShown = -1;
};
