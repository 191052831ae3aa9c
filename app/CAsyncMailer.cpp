#include "app/CAsyncMailer.h"

CAsyncMailer::CAsyncMailer(IMailer& mailer) : m_mailer(mailer), m_worker([this] { Work(); }) {}

CAsyncMailer::~CAsyncMailer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

int CAsyncMailer::Logon()
{
    // Logon only looks for the program; it does not touch what the worker
    // uses while sending.
    return m_mailer.Logon();
}

void CAsyncMailer::Logoff() { m_mailer.Logoff(); }

bool CAsyncMailer::SendMail(std::string_view displayName, std::string_view recipients, std::string_view subject,
                            std::string_view body)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({std::string(displayName), std::string(recipients), std::string(subject), std::string(body)});
    }
    m_wake.notify_one();
    return true;
}

void CAsyncMailer::SetFailureHandler(FailureHandler handler)
{
    std::lock_guard lock(m_mutex);
    m_onFailure = std::move(handler);
}

void CAsyncMailer::WaitUntilIdle()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

void CAsyncMailer::Work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_queue.empty()) return;  // stopping, nothing left
        SMessage message = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        const bool sent = m_mailer.SendMail(message.displayName, message.recipients, message.subject, message.body);
        const std::string failure = sent ? std::string() : m_mailer.LastFailure();
        lock.lock();
        // The handler is called under the lock, so that a handler being
        // removed (its owner going away) is never called afterwards.
        if (!sent && m_onFailure) m_onFailure(failure.empty() ? std::string("the mail was not sent") : failure);
        m_busy = false;
        m_idle.notify_all();
    }
}
