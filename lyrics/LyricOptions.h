#pragma once
// The lyric window's options, kept by the user's settings store under
// "Velora"/"Music", group "Options/Lyric": the alignment of vertical mode,
// the display mode, and the window's rectangle written on close. Stored
// values are read once and sanitised; every change is written at once.

#include <QRect>
#include <QSettings>
#include <QVariant>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <memory>
#include <utility>

inline constexpr const char* kLyricSettingsOrganisation = "Velora";
inline constexpr const char* kLyricSettingsApplication = "Music";
inline constexpr const char* kLyricSettingsGroup = "Options/Lyric";

class CLyricOptions {
public:
    // Reads the options from `store`; without one, from the user's settings.
    explicit CLyricOptions(std::unique_ptr<QSettings> store = {});
    ~CLyricOptions();
    CLyricOptions(const CLyricOptions&) = delete;
    CLyricOptions& operator=(const CLyricOptions&) = delete;

    // 0 left, 2 right or 6 centre.
    int Align() const { return m_nAlign; }
    bool Horizontal() const { return m_bHorizontal; }

    // Keep the value and store it; an alignment outside the three codes is
    // refused with false.
    bool SetAlign(int align);
    void SetHorizontal(bool horizontal);
    // "LyricWindowLeft", "LyricWindowTop", "LyricWindowWidth", "LyricWindowHeight".
    void StoreWindowRect(const QRect& rect);

    // The timing correction the user made for a song (ms, 0 when none). The
    // last kMaxShifts songs corrected are kept, the oldest dropped first; a
    // correction of 0 forgets the song.
    static constexpr int kMaxShifts = 300;
    int32_t Shift(const std::string& songId) const;
    void StoreShift(const std::string& songId, int32_t shiftMs);

    // A stored alignment: one of the three codes, anything else left.
    static int SanitiseAlign(const QVariant& stored);
    // A stored mode: a non-zero number is horizontal, anything else vertical.
    static bool SanitiseHorizontal(const QVariant& stored);

private:
    // Sets the values and writes them through.
    void Store(std::initializer_list<std::pair<const char*, int>> values);

    std::unique_ptr<QSettings> m_store;
    int m_nAlign = 0;
    bool m_bHorizontal = false;
};
