// Sends the alert mails on a thread of its own, so that a slow or hung mail
// program never holds the monitoring tick: SendMail queues the message and
// returns at once; the worker hands the queued messages, in order, to the
// mailer it wraps (whose runner bounds each send's time). A send that fails
// is reported to the failure handler, on the worker thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "app/IMailer.h"

class CAsyncMailer : public IMailer {
public:
    // The mailer must outlive this object; only the worker sends through it.
    explicit CAsyncMailer(IMailer& mailer);
    // Sends what is still queued (each send is bounded by the wrapped
    // mailer's time limit), then ends the worker.
    ~CAsyncMailer() override;
    CAsyncMailer(const CAsyncMailer&) = delete;
    CAsyncMailer& operator=(const CAsyncMailer&) = delete;

    int Logon() override;
    void Logoff() override;
    // Queues the message; true. The send itself is reported only on failure.
    bool SendMail(std::string_view displayName, std::string_view recipients, std::string_view subject,
                  std::string_view body) override;
    void SetFailureHandler(FailureHandler handler) override;

    // Blocks until every queued message has been handed over (tests, exit).
    void WaitUntilIdle();

private:
    struct SMessage {
        std::string displayName, recipients, subject, body;
    };
    void Work();

    IMailer& m_mailer;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<SMessage> m_queue;
    bool m_busy = false;
    bool m_stopping = false;
    FailureHandler m_onFailure;
    std::thread m_worker;
};
