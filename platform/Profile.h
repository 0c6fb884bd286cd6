#pragma once
// Private profile files ("TonvikMusic.ini", "Skin.ini") read and written the
// way Windows does: sections and keys compared without regard to ASCII case,
// only the first section of a name counts, the first key of a name in it,
// integers read from their leading digits, missing keys give the default.
// Writing changes one line, keeps every other line as it was, and replaces
// the file atomically. Texts are bytes (CP936), compared byte-wise apart
// from ASCII case.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CProfile {
public:
    CProfile() = default;

    // Reads the file; false (and an empty profile) when it cannot be read.
    bool Load(const std::filesystem::path& path);
    static CProfile FromText(std::string_view text);

    // The value of a key with a matching pair of quotes around it removed;
    // nullopt when the section or key is missing or the line has no "=".
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // Missing or empty: the default. Otherwise optional blanks, an optional
    // sign and the leading digits (none: 0).
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;

    // Sets a key, adding the section at the end and the key at the end of
    // its section when they are missing. Line breaks in the value are
    // replaced by blanks.
    void SetString(std::string_view section, std::string_view key, std::string_view value);
    // Removes the key's line, if any.
    void RemoveKey(std::string_view section, std::string_view key);

    // The whole file as it would be written.
    std::string Text() const;
    bool Save(const std::filesystem::path& path) const;

    // The section names in file order (duplicates included).
    std::vector<std::string> SectionNames() const;

private:
    struct Line {
        std::string text;  // without its line end
    };
    struct Located {
        size_t sectionLine;  // index of the "[section]" line
        size_t end;          // one past the section's last line
    };
    std::optional<Located> FindSection(std::string_view section) const;
    std::optional<size_t> FindKeyLine(const Located& where, std::string_view key) const;

    std::vector<Line> m_lines;
    std::string m_eol = "\r\n";
    bool m_finalEol = true;
};

// The Windows calls, each reading the file afresh. Writes of one process are
// serialised so two threads never lose each other's change.
std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    const std::filesystem::path& path);
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::filesystem::path& path);
bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::filesystem::path& path);
// Removes the key's line from the file (the Windows call with no value);
// true when the file no longer holds the key.
bool DeletePrivateProfileKey(std::string_view section, std::string_view key, const std::filesystem::path& path);
