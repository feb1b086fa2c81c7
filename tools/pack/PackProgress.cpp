// vellumo-pack's progress display.
#include "PackProgress.h"

#include "PackSystem.h"

#include <cstdio>
#include <string>

namespace vellumo::pack {
namespace {

constexpr int kBarWidth = 40;

std::string Bar(int percent) {
    const int filled = percent * kBarWidth / 100;
    std::string bar = "[";
    bar.append(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kBarWidth - filled), '-');
    return bar + "] " + std::to_string(percent) + "%";
}

} // namespace

void ProgressDisplay::Show(float fraction) {
    StopIfInterrupted();
    if (!shown_)
        return;
    if (fraction < 0.0f)
        fraction = 0.0f;
    if (fraction > 1.0f)
        fraction = 1.0f;
    const int percent = static_cast<int>(fraction * 100.0f);
    if (terminal_) {
        if (percent == percent_)
            return;
        percent_ = percent;
        std::fputs(("\r" + Bar(percent)).c_str(), stderr);
        std::fflush(stderr);
        open_ = true;
        SetProgressLineOpen(true);
        return;
    }
    if (percent / 10 <= tenths_)
        return;
    tenths_ = percent / 10;
    std::fputs((Bar(tenths_ * 10) + "\n").c_str(), stderr);
    std::fflush(stderr);
}

void ProgressDisplay::Finish() {
    if (!open_)
        return;
    SetProgressLineOpen(false);
    std::fputs("\n", stderr);
    open_ = false;
    percent_ = -1;
}

} // namespace vellumo::pack
