#include "app/CExitGuard.h"

#include <QWidget>

#include <utility>

#include "app/CAutomationService.h"

CExitGuard::CExitGuard(QWidget& window, std::function<void()> end) : m_window(window), m_end(std::move(end)) {}

void CExitGuard::SetService(CAutomationService* service)
{
    m_pService = service;
    if (service == nullptr) return;
    QObject::connect(service, &CAutomationService::proxyAttachmentChanged, &m_window, [this](bool attached) {
        if (attached || !m_bHiddenByRefusedClose) return;
        m_bHiddenByRefusedClose = false;
        m_end();
    });
}

bool CExitGuard::CanExit()
{
    if (m_pService == nullptr) return true;
    return m_pService->CanExit([this] {
        m_bHiddenByRefusedClose = true;
        m_window.hide();
    });
}
