#include "windows/CSuiteTransport.h"

#include "platform/CRegistryKey.h"

#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <sstream>

namespace {

// The socket type column of /proc/net/unix for SOCK_DGRAM.
constexpr std::string_view kDatagramType = "0002";

// The next blank-separated field of a table line, advancing at.
std::string_view NextField(std::string_view line, std::size_t& at)
{
    while (at < line.size() && line[at] == ' ')
        ++at;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ')
        ++at;
    return line.substr(start, at - start);
}

}  // namespace

CSuiteTransport::CSuiteTransport(CRegistryKey& registry) : CSuiteTransport(registry, Options{}) {}

CSuiteTransport::CSuiteTransport(CRegistryKey& registry, Options options)
    : m_registry(registry), m_options(std::move(options))
{
    if (m_options.procRoot.empty() || m_options.procRoot.back() != '/')
        m_options.procRoot += '/';
}

std::string CSuiteTransport::ProcPath(std::string_view relative) const
{
    return m_options.procRoot + "proc/" + std::string(relative);
}

std::vector<std::string> CSuiteTransport::ParseUnixSocketTable(std::string_view table)
{
    // "Num: RefCount Protocol Flags Type St Inode Path": the path is the rest
    // of the line after the seventh field and one blank, and may itself hold
    // blanks ("@Dravik Manager:5678").
    std::vector<std::string> endpoints;
    std::size_t lineStart = 0;
    bool header = true;
    while (lineStart < table.size()) {
        std::size_t lineEnd = table.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = table.size();
        const std::string_view line = table.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (header) {
            header = false;
            continue;
        }
        std::size_t at = 0;
        std::string_view type;
        for (int field = 0; field < 7; ++field) {
            const std::string_view value = NextField(line, at);
            if (field == 4)
                type = value;
        }
        if (type != kDatagramType || at + 1 >= line.size() || line[at] != ' ')
            continue;
        const std::string_view path = line.substr(at + 1);
        if (path.size() > 1 && path[0] == '@')
            endpoints.emplace_back(path);
    }
    return endpoints;
}

std::optional<std::vector<std::string>> CSuiteTransport::ListEndpoints() const
{
    std::ifstream in(ProcPath("net/unix"), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return ParseUnixSocketTable(text.str());
}

bool CSuiteTransport::FindSuiteWindow()
{
    m_suiteEndpoint.clear();
    return FindByClass() || FindByRegisteredId() || FindByRegisteredPath();
}

bool CSuiteTransport::FindByClass()
{
    const auto endpoints = ListEndpoints();
    if (!endpoints)
        return false;
    for (const std::string& name : *endpoints) {
        if (CSuiteEndpoint::ClassOf(name) == m_options.suiteClass) {
            m_suiteEndpoint = name;
            return true;
        }
    }
    return false;
}

bool CSuiteTransport::FindByRegisteredId()
{
    std::uint32_t id = 0;
    if (!m_registry.ReadNumber(kSuiteKey, "ID", id))
        return false;
    // An ID left behind by a suite that has ended names nobody: only an
    // endpoint that is bound counts.
    const std::string name = "@" + m_options.suiteClass + ":" + std::to_string(id);
    if (!CSuiteEndpoint::IsBound(name))
        return false;
    m_suiteEndpoint = name;
    return true;
}

bool CSuiteTransport::FindByRegisteredPath()
{
    std::string path;
    if (!m_registry.ReadText(kSuiteKey, "Path", path))
        return false;
    const auto endpoints = ListEndpoints();
    if (!endpoints)
        return false;
    for (const std::string& name : *endpoints) {
        const auto pid = CSuiteEndpoint::PidOf(name);
        if (!pid)
            continue;
        // The link's target, as the kernel reports it; an unreadable link
        // (another user's process) counts as an empty path.
        std::string target(4096, '\0');
        const std::string link = ProcPath(std::to_string(*pid) + "/exe");
        const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
            continue;
        target.resize(static_cast<std::size_t>(length));
        if (target == path) {
            m_suiteEndpoint = name;
            return true;
        }
    }
    return false;
}

void CSuiteTransport::Send(const CSuitePacket& packet)
{
    if (!FindSuiteWindow())
        return;
    CSuiteEndpoint::SendTo(m_suiteEndpoint, packet.Bytes(), kSendTimeout);
}

bool CSuiteTransport::RegisterWithSuite(std::string_view executablePath)
{
    const bool id = m_registry.WriteNumber(kOwnKey, "ID", static_cast<std::uint32_t>(::getpid()));
    const bool path = m_registry.WriteText(kOwnKey, "Path", executablePath);
    return id && path;
}

bool CSuiteTransport::Listen()
{
    return m_ownEndpoint.Bind(CSuiteEndpoint::NameFor(m_options.ownClass, ::getpid()));
}
