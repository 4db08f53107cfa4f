// A progress bar on stderr, drawn only when stderr is a terminal.
#pragma once

class ProgressBar {
public:
    ProgressBar();
    ~ProgressBar(); // ends the bar's line if one was drawn

    // fraction 0..1; redraws only when the shown percentage changes.
    void update(double fraction);

private:
    bool enabled_;
    int shownPercent_ = -1;
};
