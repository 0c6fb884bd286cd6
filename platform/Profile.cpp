#include "platform/Profile.h"

#include "platform/AtomicFile.h"

#include <climits>
#include <mutex>

namespace {

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\v' || ch == '\f'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char AsciiLower(char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// A "[name]" line gives the name between "[" and the last "]"; a "[" line
// without "]" is no section header (Windows then reads it as a key line).
std::optional<std::string_view> SectionHeader(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const size_t close = line.rfind(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
    line = Trim(line);
    return !line.empty() && line.front() == ';';
}

std::string_view KeyOf(std::string_view line) {
    const size_t eq = line.find('=');
    return Trim(eq == std::string_view::npos ? line : line.substr(0, eq));
}

std::string SanitizeValue(std::string_view value) {
    std::string out(value);
    for (char& ch : out)
        if (ch == '\r' || ch == '\n') ch = ' ';
    return out;
}

std::mutex g_writeMutex;

}  // namespace

bool CProfile::Load(const std::filesystem::path& path) {
    std::string text;
    if (!tonvik::platform::ReadWholeFile(path, text)) {
        *this = CProfile();
        return false;
    }
    *this = FromText(text);
    return true;
}

CProfile CProfile::FromText(std::string_view text) {
    CProfile profile;
    profile.m_eol = text.find("\r\n") != std::string_view::npos || text.find('\n') == std::string_view::npos ? "\r\n" : "\n";
    profile.m_finalEol = text.empty() || text.back() == '\n';
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        profile.m_lines.push_back({std::string(line)});
        start = end + 1;
    }
    return profile;
}

std::optional<CProfile::Located> CProfile::FindSection(std::string_view section) const {
    for (size_t i = 0; i < m_lines.size(); ++i) {
        auto name = SectionHeader(m_lines[i].text);
        if (!name || !SameName(*name, section)) continue;
        size_t end = i + 1;
        while (end < m_lines.size() && !SectionHeader(m_lines[end].text)) ++end;
        return Located{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> CProfile::FindKeyLine(const Located& where, std::string_view key) const {
    for (size_t i = where.sectionLine + 1; i < where.end; ++i) {
        const std::string& line = m_lines[i].text;
        if (Trim(line).empty() || IsComment(line)) continue;
        if (SameName(KeyOf(line), key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> CProfile::Find(std::string_view section, std::string_view key) const {
    auto where = FindSection(section);
    if (!where) return std::nullopt;
    auto index = FindKeyLine(*where, key);
    if (!index) return std::nullopt;
    std::string_view line = m_lines[*index].text;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    std::string_view value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string CProfile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    auto value = Find(section, key);
    return value ? *value : std::string(defaultValue);
}

int CProfile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    auto value = Find(section, key);
    if (!value || value->empty()) return defaultValue;
    std::string_view text = *value;
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Wraps like the 32-bit arithmetic of the Windows call.
    unsigned int result = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9') break;
        result = result * 10u + static_cast<unsigned>(ch - '0');
    }
    if (negative) result = 0u - result;
    return static_cast<int>(result);
}

void CProfile::SetString(std::string_view section, std::string_view key, std::string_view value) {
    std::string line = std::string(key) + "=" + SanitizeValue(value);
    auto where = FindSection(section);
    if (!where) {
        if (!m_lines.empty() && !Trim(m_lines.back().text).empty()) m_lines.push_back({""});
        m_lines.push_back({"[" + std::string(section) + "]"});
        m_lines.push_back({std::move(line)});
        m_finalEol = true;
        return;
    }
    if (auto index = FindKeyLine(*where, key)) {
        // Keep the key as the file spells it.
        m_lines[*index].text = std::string(KeyOf(m_lines[*index].text)) + "=" + SanitizeValue(value);
        return;
    }
    size_t insertAt = where->end;
    while (insertAt > where->sectionLine + 1 && Trim(m_lines[insertAt - 1].text).empty()) --insertAt;
    if (insertAt == m_lines.size()) m_finalEol = true;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), Line{std::move(line)});
}

void CProfile::RemoveKey(std::string_view section, std::string_view key) {
    auto where = FindSection(section);
    if (!where) return;
    if (auto index = FindKeyLine(*where, key)) m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*index));
}

std::string CProfile::Text() const {
    std::string text;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        text += m_lines[i].text;
        if (i + 1 < m_lines.size() || m_finalEol) text += m_eol;
    }
    return text;
}

bool CProfile::Save(const std::filesystem::path& path) const {
    return tonvik::platform::WriteFileAtomically(path, Text());
}

std::vector<std::string> CProfile::SectionNames() const {
    std::vector<std::string> names;
    for (const Line& line : m_lines)
        if (auto name = SectionHeader(line.text)) names.emplace_back(*name);
    return names;
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    const std::filesystem::path& path) {
    CProfile profile;
    profile.Load(path);
    return profile.GetString(section, key, defaultValue);
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::filesystem::path& path) {
    CProfile profile;
    profile.Load(path);
    return profile.GetInt(section, key, defaultValue);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::filesystem::path& path) {
    std::lock_guard lock(g_writeMutex);
    CProfile profile;
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !profile.Load(path)) return false;  // never clobber an unreadable file
    profile.SetString(section, key, value);
    return profile.Save(path);
}

bool DeletePrivateProfileKey(std::string_view section, std::string_view key, const std::filesystem::path& path) {
    std::lock_guard lock(g_writeMutex);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return true;
    CProfile profile;
    if (!profile.Load(path)) return false;  // never clobber an unreadable file
    if (!profile.Find(section, key)) return true;
    profile.RemoveKey(section, key);
    return profile.Save(path);
}
