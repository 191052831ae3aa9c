#include "windows/CSuiteReporter.h"

#include "windows/CProgramDirectory.h"
#include "windows/CSuiteTransport.h"
#include "windows/ISuiteItemView.h"

CSuiteReporter::CSuiteReporter(const ISuiteItemView& items, CSuiteTransport& transport, std::string applicationName)
    : m_items(items), m_transport(transport), m_applicationName(std::move(applicationName))
{
}

bool CSuiteReporter::Start(const std::string& frequencyText)
{
    if (!m_transport.FindSuiteWindow())
        return false;
    RegisterWithSuite();
    BuildDefaultSendList();
    m_frequencyText = frequencyText;
    return true;
}

std::string CSuiteReporter::ExecutablePath() const
{
    // Linux executables carry no ".exe".
    return CProgramDirectory::GetProgramDirectory() + "/" + m_applicationName;
}

bool CSuiteReporter::RegisterWithSuite()
{
    return m_transport.RegisterWithSuite(ExecutablePath());
}

void CSuiteReporter::BuildDefaultSendList()
{
    m_sendList.clear();
    if (m_items.IsFanEnabled(kCpuFanItem))
        m_sendList.push_back(CSuiteLink::kCpuFan);
    if (m_items.IsFanEnabled(kSystemFanItem))
        m_sendList.push_back(CSuiteLink::kSystemFan);
    if (m_items.IsTemperatureEnabled(kSystemTemperatureItem))
        m_sendList.push_back(CSuiteLink::kSystemTemperature);
    if (m_items.IsTemperatureEnabled(kCpuTemperatureItem))
        m_sendList.push_back(CSuiteLink::kCpuTemperature);
    m_sendList.push_back(CSuiteLink::kCpuFrequency);
    m_position = 0;
}

bool CSuiteReporter::RecordFor(std::uint8_t code, bool centigrade, CSuiteLink::Record& record) const
{
    switch (code) {
    case CSuiteLink::kCpuFan:
    case CSuiteLink::kSystemFan: {
        const int fan = code == CSuiteLink::kCpuFan ? kCpuFanItem : kSystemFanItem;
        if (!m_items.IsFanEnabled(fan))
            return false;
        record = CSuiteLink::FanRecord(code, m_items.FanRpm(fan), m_items.IsFanInAlarm(fan));
        return true;
    }
    case CSuiteLink::kSystemTemperature:
    case CSuiteLink::kCpuTemperature: {
        const int temperature = code == CSuiteLink::kSystemTemperature ? kSystemTemperatureItem : kCpuTemperatureItem;
        if (!m_items.IsTemperatureEnabled(temperature))
            return false;
        record = CSuiteLink::TemperatureRecord(code, m_items.TemperatureValue(temperature), centigrade,
                                               m_items.IsTemperatureInAlarm(temperature));
        return true;
    }
    case CSuiteLink::kCpuFrequency:
        record = CSuiteLink::FrequencyRecord(m_frequencyText);
        return true;
    default:
        return false;
    }
}

void CSuiteReporter::SendNextReading(bool centigrade)
{
    if (m_sendList.empty())
        return;
    if (m_position >= m_sendList.size())
        m_position = 0;
    CSuiteLink::Record record{};
    if (RecordFor(m_sendList[m_position], centigrade, record))
        m_transport.Send(CSuiteLink::ReadingPacket(record));
    m_position = (m_position + 1) % m_sendList.size();
}

void CSuiteReporter::OnSuitePacket(const CSuitePacket& packet)
{
    if (auto list = CSuiteLink::SendListFromPacket(packet)) {
        m_sendList = std::move(*list);
        m_position = 0;
    }
}

int CSuiteReporter::ReceivePending()
{
    // A bounded batch: a peer that floods the endpoint cannot hold the user
    // interface thread; the rest waits for the next readiness notice.
    constexpr int kBatch = 64;
    int taken = 0;
    for (int i = 0; i < kBatch; ++i) {
        auto datagram = m_transport.ReceiveDatagram();
        if (!datagram)
            break;
        if (auto packet = CSuiteLink::ParsePacket(*datagram)) {
            OnSuitePacket(*packet);
            ++taken;
        }
    }
    return taken;
}
