// What the main window does with a relayed power code: before a suspend the
// engine remembers the chip settings and silences the chip's beep (the chip
// may lose its registers while the machine sleeps); after the resume it puts
// the settings back, reads every item and turns the beep on again.
#pragma once

class CPowerEventHandler {
public:
    static constexpr int kSuspend = 4;
    static constexpr int kResume = 7;

    // Engine: the engine (CHardwareMonitor) or a stand-in with the same four
    // operations. True when the code was a suspend or a resume.
    template <class Engine>
    static bool Handle(Engine& engine, int code)
    {
        if (code == kSuspend) {
            engine.RememberSettings();
            engine.SetGlobalBeep(false);
            return true;
        }
        if (code == kResume) {
            engine.RestoreSettings();
            engine.UpdateAll();
            engine.SetGlobalBeep(true);
            return true;
        }
        return false;
    }
};
