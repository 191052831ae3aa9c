#include "tools/kelvane-chipd/CJournalFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "tools/kelvane-chipd/CRegularFile.h"

namespace {

constexpr const char* kFirstLine = "kelvane-chipd journal 1";

bool Byte(const std::string& word, uint8_t& value) {
    if (word.size() < 3 || word.size() > 4 || word.compare(0, 2, "0x") != 0) return false;
    char* end = nullptr;
    const unsigned long number = std::strtoul(word.c_str() + 2, &end, 16);
    if (!end || *end != '\0' || number > 0xFF) return false;
    value = static_cast<uint8_t>(number);
    return true;
}

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof(text), "0x%02x", value);
    return text;
}

}  // namespace

bool CJournalFile::CContent::operator==(const CContent& other) const {
    if (backend != other.backend || chipId != other.chipId || bank != other.bank ||
        registers.size() != other.registers.size()) {
        return false;
    }
    for (size_t i = 0; i < registers.size(); ++i) {
        if (!(registers[i].address == other.registers[i].address) || registers[i].value != other.registers[i].value) {
            return false;
        }
    }
    return true;
}

std::string CJournalFile::Format(const CContent& content) {
    std::string text = std::string(kFirstLine) + "\nbackend " + content.backend + "\nchip " + Hex(content.chipId) +
                       "\nbank " + Hex(content.bank) + "\n";
    for (const CWriteOwnership::CValue& entry : content.registers) {
        text += "register " + Hex(entry.address.bank) + " " + Hex(entry.address.reg) + " " + Hex(entry.value) + "\n";
    }
    return text + "end\n";
}

std::optional<CJournalFile::CContent> CJournalFile::Parse(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kFirstLine) return std::nullopt;
    CContent content;
    bool backend = false, chip = false, bank = false;
    while (std::getline(lines, line)) {
        // A record without its last line was never completed.
        if (line == "end") return backend && chip && bank ? std::optional<CContent>(content) : std::nullopt;
        const size_t space = line.find(' ');
        if (space == std::string::npos) return std::nullopt;
        const std::string key = line.substr(0, space), rest = line.substr(space + 1);
        if (key == "backend") {
            content.backend = rest;
            backend = true;
        } else if (key == "chip") {
            if (!Byte(rest, content.chipId)) return std::nullopt;
            chip = true;
        } else if (key == "bank") {
            if (!Byte(rest, content.bank)) return std::nullopt;
            bank = true;
        } else if (key == "register") {
            std::istringstream words(rest);
            std::string b, r, v, extra;
            CWriteOwnership::CValue entry;
            if (!(words >> b >> r >> v) || (words >> extra) || !Byte(b, entry.address.bank) ||
                !Byte(r, entry.address.reg) || !Byte(v, entry.value) || entry.address.bank > 7) {
                return std::nullopt;
            }
            content.registers.push_back(entry);
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool CJournalFile::Save(const CContent& content, std::string& problem) const {
    const std::string text = Format(content);
    const std::string temporary = m_path + ".new";
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        problem = temporary + ": " + std::strerror(errno);
        return false;
    }
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    const bool complete = written == text.size();
    if (::close(fd) != 0 || !complete) {
        problem = temporary + ": " + std::strerror(errno ? errno : EIO);
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), m_path.c_str()) != 0) {
        problem = m_path + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::optional<CJournalFile::CContent> CJournalFile::Load(std::string& problem) const {
    std::string text;
    switch (CRegularFile::Read(m_path, text, problem)) {
    case CRegularFile::Result::kAbsent:
        return std::nullopt;
    case CRegularFile::Result::kRead:
        break;
    default:
        return std::nullopt;
    }
    std::optional<CContent> content = Parse(text);
    if (!content) problem = m_path + ": not a journal of this service";
    return content;
}

void CJournalFile::Remove() const { ::unlink(m_path.c_str()); }
