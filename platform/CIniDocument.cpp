#include "platform/CIniDocument.h"

#include <cstddef>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// One physical line: [begin, contentEnd) is its text without the line break,
// [contentEnd, end) the break itself ("\n", "\r\n" or nothing at the end).
struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;
};

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    std::string_view name;  // section name or key
    std::size_t valueBegin = 0;  // offset in the document (keys only)
};

// Walks the document line by line.
class LineCursor {
public:
    explicit LineCursor(const std::string& text) : m_text(text) {}
    bool Next(Line& line) {
        if (m_pos >= m_text.size()) return false;
        line.begin = m_pos;
        std::size_t nl = m_text.find('\n', m_pos);
        line.end = nl == std::string::npos ? m_text.size() : nl + 1;
        line.contentEnd = nl == std::string::npos ? m_text.size() : nl;
        if (line.contentEnd > line.begin && m_text[line.contentEnd - 1] == '\r') --line.contentEnd;
        m_pos = line.end;
        return true;
    }

private:
    const std::string& m_text;
    std::size_t m_pos = 0;
};

Parsed Parse(const std::string& text, const Line& line) {
    Parsed p;
    std::string_view content(text.data() + line.begin, line.contentEnd - line.begin);
    std::size_t lead = 0;
    while (lead < content.size() && IsBlank(content[lead])) ++lead;
    std::string_view rest = content.substr(lead);
    if (rest.empty() || rest.front() == ';') return p;
    if (rest.front() == '[') {
        std::size_t close = rest.find(']');
        p.kind = Kind::Section;
        p.name = TrimBlanks(rest.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        return p;
    }
    std::size_t eq = rest.find('=');
    if (eq == std::string_view::npos) return p;
    std::string_view key = TrimBlanks(rest.substr(0, eq));
    if (key.empty()) return p;
    p.kind = Kind::Key;
    p.name = key;
    std::size_t v = line.begin + lead + eq + 1;
    while (v < line.contentEnd && IsBlank(text[v])) ++v;
    p.valueBegin = v;
    return p;
}

bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string LookupName(std::string_view section, std::string_view key) {
    std::string name;
    name.reserve(section.size() + key.size() + 1);
    for (char c : section) name += Lower(c);
    name += '\n';
    for (char c : key) name += Lower(c);
    return name;
}

}  // namespace

CIniDocument::CIniDocument(std::string text) : m_text(std::move(text)) { Index(); }

void CIniDocument::Index() {
    m_values.clear();
    LineCursor cursor(m_text);
    Line line;
    std::string_view section;
    bool inSection = false;
    while (cursor.Next(line)) {
        Parsed p = Parse(m_text, line);
        if (p.kind == Kind::Section) {
            section = p.name;
            inSection = true;
        } else if (p.kind == Kind::Key && inSection) {
            // A value ends at a NUL byte, as it would in a C string.
            std::string_view value(m_text.data() + p.valueBegin, line.contentEnd - p.valueBegin);
            value = value.substr(0, value.find('\0'));
            // The first of duplicate keys, also across sections of one name, wins.
            m_values.try_emplace(LookupName(section, p.name), value);
        }
    }
}

std::optional<std::string> CIniDocument::Find(std::string_view section, std::string_view key) const {
    auto it = m_values.find(LookupName(section, key));
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

bool CIniDocument::CanStore(std::string_view section, std::string_view key, std::string_view value) {
    if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) return false;
    if (section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos) return false;
    if (TrimBlanks(section) != section || TrimBlanks(key) != key) return false;
    if (section.empty() || key.empty() || key.front() == ';' || key.front() == '[') return false;
    return true;
}

void CIniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    // New lines follow the file's own line breaks.
    std::size_t firstBreak = m_text.find('\n');
    const std::string eol = (firstBreak != std::string::npos && firstBreak > 0 && m_text[firstBreak - 1] == '\r')
                                ? "\r\n"
                                : "\n";

    LineCursor cursor(m_text);
    Line line;
    bool inSection = false;
    bool sectionSeen = false;
    bool inFirstSection = false;
    Line lastOfFirstSection;  // last non-blank line of the first matching section
    while (cursor.Next(line)) {
        Parsed p = Parse(m_text, line);
        if (p.kind == Kind::Section) {
            inSection = EqualNoCase(p.name, section);
            inFirstSection = inSection && !sectionSeen;
            if (inFirstSection) {
                sectionSeen = true;
                lastOfFirstSection = line;
            }
            continue;
        }
        if (p.kind == Kind::Key && inSection && EqualNoCase(p.name, key)) {
            m_text.replace(p.valueBegin, line.contentEnd - p.valueBegin, value);
            Index();
            return;
        }
        if (inFirstSection && !TrimBlanks(std::string_view(m_text.data() + line.begin,
                                                           line.contentEnd - line.begin)).empty()) {
            lastOfFirstSection = line;
        }
    }

    // A file that ends in a lone CR needs only the LF to finish its line.
    auto MissingBreak = [this](const std::string& lineBreak) {
        return (lineBreak == "\r\n" && !m_text.empty() && m_text.back() == '\r') ? std::string("\n") : lineBreak;
    };
    std::string keyLine = std::string(key) + "=" + std::string(value) + eol;
    if (sectionSeen) {
        std::size_t at = lastOfFirstSection.end;
        if (m_text[lastOfFirstSection.end - 1] != '\n') {
            const std::string end = MissingBreak(eol);  // the section's last line ended the file
            m_text.insert(at, end);
            at += end.size();
        }
        m_text.insert(at, keyLine);
        Index();
        return;
    }
    if (!m_text.empty() && m_text.back() != '\n') m_text += MissingBreak(eol);
    m_text += "[" + std::string(section) + "]" + eol + keyLine;
    Index();
}

int CIniDocument::ToInt(const std::optional<std::string>& value, int defaultValue) {
    if (!value || value->empty()) return defaultValue;
    std::string_view s(*value);
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    constexpr long long kLimit = 2147483648LL;  // one past INT_MAX
    long long n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        n = n * 10 + (s[i] - '0');
        if (n > kLimit) n = kLimit;
    }
    if (negative) return static_cast<int>(-n);
    return static_cast<int>(n >= kLimit ? kLimit - 1 : n);
}

std::string CIniDocument::ToBuffer(const std::optional<std::string>& value, std::string_view defaultValue,
                                   std::size_t bufferSize) {
    std::string result = value ? *value : std::string(defaultValue);
    if (bufferSize == 0) return {};
    if (result.size() > bufferSize - 1) result.resize(bufferSize - 1);
    return result;
}
