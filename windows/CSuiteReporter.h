// The main window's side of the link with Dravik Manager: the send list and
// its position, one reading sent on every tick of timer 2, and the suite's
// choice of readings taken from the packets it sends back. The main window
// owns one and forwards timer 2 and the readiness of the link's endpoint.
#pragma once

#include "windows/CSuiteLink.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CSuiteTransport;
class ISuiteItemView;

class CSuiteReporter {
public:
    // items and transport must outlive the reporter. applicationName names
    // the executable in the program directory ("kelvane").
    CSuiteReporter(const ISuiteItemView& items, CSuiteTransport& transport, std::string applicationName);

    // The start-up step: when the suite is found, RegisterWithSuite,
    // BuildDefaultSendList and keep the processor-frequency text. True when
    // found: the caller then enables the "Dravik Manager" button and starts
    // timer 2 (3000 ms). When false nothing is registered or ever sent.
    bool Start(const std::string& frequencyText);

    // "ID" = own pid, "Path" = program directory + "/" + application name.
    bool RegisterWithSuite();
    std::string ExecutablePath() const;

    // 11 if fan item 1 is enabled, 13 if fan item 3, 16 if temperature
    // item 1, 17 if temperature item 2, then always 19; position at the first.
    void BuildDefaultSendList();

    // Timer 2: the reading at the current position, then the position moves
    // on, wrapping. A disabled item's turn and codes without a reading pass
    // without sending. centigrade is the main window's unit flag.
    void SendNextReading(bool centigrade);

    // A packet from the suite: type 1 with at least three mask bytes sets the
    // send list from the masks; anything else is ignored.
    void OnSuitePacket(const CSuitePacket& packet);
    // Every datagram waiting on the main window's endpoint, each through
    // ParsePacket (too long, not of its declared size or badly framed: ignored)
    // and OnSuitePacket, at most 64 per call. Returns how many were taken in.
    int ReceivePending();

    void SetFrequencyText(std::string text) { m_frequencyText = std::move(text); }
    const std::string& FrequencyText() const { return m_frequencyText; }
    const std::vector<std::uint8_t>& SendList() const { return m_sendList; }
    std::size_t Position() const { return m_position; }

private:
    static constexpr int kCpuFanItem = 0;
    static constexpr int kSystemFanItem = 2;
    static constexpr int kSystemTemperatureItem = 0;
    static constexpr int kCpuTemperatureItem = 1;

    bool RecordFor(std::uint8_t code, bool centigrade, CSuiteLink::Record& record) const;

    const ISuiteItemView& m_items;
    CSuiteTransport& m_transport;
    std::string m_applicationName;
    std::string m_frequencyText;
    std::vector<std::uint8_t> m_sendList;
    std::size_t m_position = 0;
};
