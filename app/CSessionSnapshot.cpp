#include "app/CSessionSnapshot.h"

int64_t CSessionSnapshot::SItem::SecondsLeftAt(int64_t nowTicks) const
{
    // The engine's own rule (CSensorItem::ShutdownSecondsLeft).
    if (!enabled || !shutDownEnabled || outOfRangeStart == 0) return -1;
    if (shutdownPending) return 0;
    const int64_t frequency = counterFrequency > 0 ? counterFrequency : 1;
    const int64_t elapsed = (nowTicks - outOfRangeStart) / frequency;
    return elapsed >= shutDownTime ? 0 : shutDownTime - elapsed;
}

int CSessionSnapshot::SoonestShutdown(int64_t nowTicks, int64_t* secondsLeft) const
{
    int soonest = -1;
    int64_t least = 0;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const int64_t left = items[static_cast<std::size_t>(i)].SecondsLeftAt(nowTicks);
        if (left < 0) continue;
        if (soonest < 0 || left < least) {
            soonest = i;
            least = left;
        }
    }
    if (secondsLeft != nullptr) *secondsLeft = least;
    return soonest;
}
