#include "lyrics/LyricOptions.h"

#include "common/Trace.h"
#include "lyrics/LyricWindowIds.h"

#include <QSettings>

#include <optional>

namespace {

constexpr const char* kAlignKey = "Align";
constexpr const char* kHorizontalKey = "Horizontal";

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
