#include "lyrics/LyricOptions.h"

#include "common/Trace.h"
#include "lyrics/LyricWindowIds.h"

#include <QSettings>

#include <optional>
#include <vector>

namespace {

constexpr const char* kAlignKey = "Align";
constexpr const char* kHorizontalKey = "Horizontal";
// "id=shift" entries, the most recently corrected song last.
constexpr const char* kShiftsKey = "Shifts";
// A correction beyond this is no correction of a song's timing.
constexpr int32_t kShiftLimit = 24 * 60 * 60 * 1000;

struct ShiftEntry {
    QString id;
    int32_t shift;
};

std::vector<ShiftEntry> ReadShifts(const QSettings& store) {
    std::vector<ShiftEntry> entries;
    for (const QString& item : store.value(QString::fromLatin1(kShiftsKey)).toStringList()) {
        const qsizetype equals = item.lastIndexOf(u'=');
        if (equals <= 0) continue;
        bool ok = false;
        const int shift = item.mid(equals + 1).toInt(&ok);
        if (!ok || shift == 0 || shift > kShiftLimit || shift < -kShiftLimit) continue;
        entries.push_back({item.left(equals), shift});
    }
    return entries;
}

// A stored number, or nullopt when the value is missing or not a number.
std::optional<qlonglong> StoredNumber(const QVariant& stored) {
    if (!stored.isValid()) return std::nullopt;
    bool ok = false;
    const qlonglong value = stored.toLongLong(&ok);
    if (!ok) return std::nullopt;
    return value;
}

}  // namespace

CLyricOptions::CLyricOptions(std::unique_ptr<QSettings> store) : m_store(std::move(store)) {
    if (!m_store)
        m_store = std::make_unique<QSettings>(QString::fromLatin1(kLyricSettingsOrganisation),
                                              QString::fromLatin1(kLyricSettingsApplication));
    m_store->beginGroup(QString::fromLatin1(kLyricSettingsGroup));
    m_nAlign = SanitiseAlign(m_store->value(QString::fromLatin1(kAlignKey)));
    m_bHorizontal = SanitiseHorizontal(m_store->value(QString::fromLatin1(kHorizontalKey)));
}

CLyricOptions::~CLyricOptions() = default;

int CLyricOptions::SanitiseAlign(const QVariant& stored) {
    const auto value = StoredNumber(stored);
    if (value && (*value == kAlignLeft || *value == kAlignRight || *value == kAlignCentre))
        return static_cast<int>(*value);
    return kAlignLeft;
}

bool CLyricOptions::SanitiseHorizontal(const QVariant& stored) {
    const auto value = StoredNumber(stored);
    return value && *value != 0;
}

bool CLyricOptions::SetAlign(int align) {
    if (align != kAlignLeft && align != kAlignRight && align != kAlignCentre) return false;
    m_nAlign = align;
    Store({{kAlignKey, align}});
    return true;
}

void CLyricOptions::SetHorizontal(bool horizontal) {
    m_bHorizontal = horizontal;
    Store({{kHorizontalKey, horizontal ? 1 : 0}});
}

void CLyricOptions::StoreWindowRect(const QRect& rect) {
    Store({{"LyricWindowLeft", rect.left()},
           {"LyricWindowTop", rect.top()},
           {"LyricWindowWidth", rect.width()},
           {"LyricWindowHeight", rect.height()}});
}

void CLyricOptions::Store(std::initializer_list<std::pair<const char*, int>> values) {
    for (const auto& [key, value] : values) m_store->setValue(QString::fromLatin1(key), value);
    // Written through at once, so that an option outlives a crash.
    m_store->sync();
    if (m_store->status() != QSettings::NoError) Trace("CLyricOptions===Cannot store %s.", values.begin()->first);
}

int32_t CLyricOptions::Shift(const std::string& songId) const {
    const QString id = QString::fromStdString(songId);
    for (const ShiftEntry& entry : ReadShifts(*m_store))
        if (entry.id == id) return entry.shift;
    return 0;
}

void CLyricOptions::StoreShift(const std::string& songId, int32_t shiftMs) {
    if (songId.empty()) return;
    const QString id = QString::fromStdString(songId);
    std::vector<ShiftEntry> entries = ReadShifts(*m_store);
    std::erase_if(entries, [&id](const ShiftEntry& entry) { return entry.id == id; });
    if (shiftMs != 0 && shiftMs <= kShiftLimit && shiftMs >= -kShiftLimit) entries.push_back({id, shiftMs});
    const size_t keep = std::min(entries.size(), static_cast<size_t>(kMaxShifts));
    QStringList items;
    for (auto it = entries.end() - static_cast<std::ptrdiff_t>(keep); it != entries.end(); ++it)
        items << it->id + u'=' + QString::number(it->shift);
    m_store->setValue(QString::fromLatin1(kShiftsKey), items);
    m_store->sync();
    if (m_store->status() != QSettings::NoError) Trace("CLyricOptions===Cannot store the correction of %s", songId.c_str());
}
