#include "ProgressMeter.h"

#include <algorithm>
#include <unistd.h>

ProgressMeter::ProgressMeter (double totalSeconds)
    : total (std::max (totalSeconds, 0.001)), terminal (isatty (fileno (stderr)) != 0)
{
}

void ProgressMeter::update (double seconds)
{
    const double fraction = std::clamp (seconds / total, 0.0, 1.0);
    if (terminal)
    {
        const int percent = (int) (fraction * 100.0);
        if (percent == lastShown)
            return;
        lastShown = percent;
        constexpr int width = 40;
        const int filled = (int) (fraction * width);
        std::fprintf (stderr, "\r[%.*s%*s] %3d%% %6.1f s", filled, "########################################",
                      width - filled, "", percent, seconds);
    }
    else
    {
        const int tenth = (int) (fraction * 10.0);
        if (tenth == lastShown)
            return;
        lastShown = tenth;
        std::fprintf (stderr, "rendered %.1f s (%d%%)\n", seconds, tenth * 10);
    }
    std::fflush (stderr);
}

void ProgressMeter::finish()
{
    if (terminal)
        std::fprintf (stderr, "\n");
}
