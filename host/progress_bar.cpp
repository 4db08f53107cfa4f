// Terminal progress bar for long renders; silent when stderr is a file or a pipe.
#include "host/progress_bar.h"

#include <cstdio>
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {
constexpr int kBarWidth = 40;
}

ProgressBar::ProgressBar() : enabled_(isatty(fileno(stderr)) != 0) {}

ProgressBar::~ProgressBar() {
    if (enabled_ && shownPercent_ >= 0)
        std::fputc('\n', stderr);
}

void ProgressBar::update(double fraction) {
    if (!enabled_)
        return;
    int percent = (int)(fraction * 100.0);
    percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    if (percent == shownPercent_)
        return;
    shownPercent_ = percent;
    char bar[kBarWidth + 1];
    int filled = percent * kBarWidth / 100;
    for (int i = 0; i < kBarWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kBarWidth] = '\0';
    std::fprintf(stderr, "\rrendering [%s] %3d%%", bar, percent);
    std::fflush(stderr);
}
