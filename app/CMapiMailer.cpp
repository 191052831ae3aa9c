#include "app/CMapiMailer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsControl(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

// A header value must stay on its one line: every control character becomes
// a blank.
std::string OneLine(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (IsControl(static_cast<unsigned char>(c)))
            c = ' ';
    return out;
}

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::string Base64(std::string_view data)
{
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < data.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, data.size() - i);
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 3; ++k)
            v = (v << 8) | (k < n ? static_cast<unsigned char>(data[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += (k <= n) ? kDigits[(v >> (18 - 6 * k)) & 0x3F] : '=';
    }
    return out;
}

// Header text outside ASCII travels as an RFC 2047 encoded word.
std::string HeaderText(std::string_view text)
{
    const std::string line = OneLine(text);
    if (IsAscii(line))
        return line;
    return "=?UTF-8?B?" + Base64(line) + "?=";
}

std::string QuotedDisplayName(std::string_view name)
{
    const std::string line = OneLine(name);
    if (!IsAscii(line))
        return HeaderText(line);
    std::string quoted = "\"";
    for (char c : line) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// RFC 5322 date in local time. Day and month names are written here, not by
// strftime, so that the user's locale cannot translate them.
std::string MailDate(std::chrono::system_clock::time_point when)
{
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    const long offset = local.tm_gmtoff / 60;
    const long absOffset = offset < 0 ? -offset : offset;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", kDays[local.tm_wday],
                  local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900, local.tm_hour, local.tm_min,
                  local.tm_sec, offset < 0 ? '-' : '+', absOffset / 60, absOffset % 60);
    return text;
}

// sendmail reads lines ending in LF; a CR LF or lone CR from the caller
// becomes one LF.
std::string LocalLineEnds(std::string_view body)
{
    std::string out;
    out.reserve(body.size() + 1);
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\r') {
            out += '\n';
            if (i + 1 < body.size() && body[i + 1] == '\n')
                ++i;
        } else {
            out += body[i];
        }
    }
    if (out.empty() || out.back() != '\n')
        out += '\n';
    return out;
}

}  // namespace

CMapiMailer::CMapiMailer(IProgramRunner& runner, std::vector<std::string> candidates, Clock now)
    : m_runner(runner), m_now(std::move(now))
{
    for (const std::string& path : candidates) {
        struct stat info;
        if (::stat(path.c_str(), &info) == 0) {
            m_strProgram = path;
            break;
        }
    }
}

int CMapiMailer::Logon()
{
    if (m_strProgram.empty())
        return 2;
    struct stat info;
    if (::stat(m_strProgram.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || ::access(m_strProgram.c_str(), X_OK) != 0)
        return 1;
    return 0;
}

void CMapiMailer::Logoff() {}

std::vector<std::string> CMapiMailer::SplitRecipients(std::string_view recipients)
{
    std::vector<std::string> list;
    for (;;) {
        const std::size_t semicolon = recipients.find(';');
        list.emplace_back(recipients.substr(0, semicolon));
        if (semicolon == std::string_view::npos)
            return list;
        recipients.remove_prefix(semicolon + 1);
    }
}

bool CMapiMailer::IsAcceptableRecipient(std::string_view recipient)
{
    if (recipient.empty() || recipient.front() == '-')
        return false;
    for (char c : recipient)
        if (IsControl(static_cast<unsigned char>(c)))
            return false;
    return true;
}

std::string CMapiMailer::ComposeMessage(std::string_view displayName, std::string_view recipient,
                                        std::string_view subject, std::string_view body,
                                        std::chrono::system_clock::time_point date)
{
    std::string message = "To: ";
    if (displayName.empty())
        message += OneLine(recipient);
    else
        message += QuotedDisplayName(displayName) + " <" + OneLine(recipient) + ">";
    message += "\nSubject: " + HeaderText(subject);
    message += "\nDate: " + MailDate(date);
    message += "\nMIME-Version: 1.0";
    message += "\nContent-Type: text/plain; charset=UTF-8";
    message += "\nContent-Transfer-Encoding: 8bit";
    message += "\n\n";
    message += LocalLineEnds(body);
    return message;
}

std::string CMapiMailer::ErrorLineAfter() const
{
    // The mailer's own reason ("msmtp: cannot connect to ...") tells the
    // user what to mend; the status alone does not.
    const std::string line = OneLine(m_runner.LastErrorLine());
    return line.empty() ? std::string() : ": " + line;
}

bool CMapiMailer::SendMail(std::string_view displayName, std::string_view recipients, std::string_view subject,
                           std::string_view body)
{
    m_strLastFailure.clear();
    if (m_strProgram.empty()) {
        m_strLastFailure = "no sendmail program";
        return false;
    }
    const auto fail = [this](const std::string& recipient, const std::string& why) {
        m_strLastFailure += (m_strLastFailure.empty() ? "" : "; ") + OneLine(recipient) + ": " + why;
    };
    bool allSent = true;
    for (const std::string& recipient : SplitRecipients(recipients)) {
        if (!IsAcceptableRecipient(recipient)) {
            allSent = false;
            fail(recipient, "not a usable address");
            continue;
        }
        const std::string message = ComposeMessage(displayName, recipient, subject, body, m_now());
        const int status = m_runner.Run({m_strProgram, "-i", "--", recipient}, message);
        if (status == 0)
            continue;
        allSent = false;
        if (status == IProgramRunner::kTimedOut)
            fail(recipient, m_strProgram + " did not finish in time and was ended");
        else if (status < 0)
            fail(recipient, m_strProgram + " could not be run");
        else
            fail(recipient, m_strProgram + " exited with status " + std::to_string(status) + ErrorLineAfter());
    }
    return allSent;
}
