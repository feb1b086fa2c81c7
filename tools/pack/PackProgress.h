// vellumo-pack's progress on standard error: a bar redrawn in place on a terminal, a line for
// every tenth of the work anywhere else (a file or a pipe keeps a readable log).
#pragma once

namespace vellumo::pack {

class ProgressDisplay {
public:
    // Shows nothing unless `shown`; `terminal` chooses the redrawn bar.
    ProgressDisplay(bool shown, bool terminal) : shown_(shown), terminal_(terminal) {}
    ~ProgressDisplay() { Finish(); }
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    // The fraction of the work done, 0 to 1.
    void Show(float fraction);
    // Ends a redrawn bar's line, so that what follows starts on a line of its own.
    void Finish();

private:
    bool shown_;
    bool terminal_;
    int percent_ = -1;  // the percentage last drawn on a terminal
    int tenths_ = 0;    // the tenths already written as lines
    bool open_ = false; // a terminal line without its end
};

} // namespace vellumo::pack
