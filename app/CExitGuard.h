// Whether the program may end now: not while an automation client holds the
// proxy. A refused close hides the window instead, and the program ends once
// the last client lets go.
#pragma once

#include <functional>

class CAutomationService;
class QWidget;

class CExitGuard {
public:
    // end: ends the program; called at most once by the guard, when the
    // last client lets go after a refused close. window must outlive the
    // guard.
    CExitGuard(QWidget& window, std::function<void()> end);

    // The service whose clients may hold the program; null: none (every
    // close is allowed). It must outlive the window.
    void SetService(CAutomationService* service);
    // True when no client holds the proxy; otherwise hides the window and
    // refuses.
    bool CanExit();

private:
    QWidget& m_window;
    std::function<void()> m_end;
    CAutomationService* m_pService = nullptr;
    bool m_bHiddenByRefusedClose = false;
};
