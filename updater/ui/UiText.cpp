#include "updater/ui/UiText.h"

#include "platform/CodePage.h"

namespace patchwell {

QString QStringFromGbk(std::string_view gbk) {
    using namespace tonvik::platform;
    const std::optional<std::u16string> wide = NarrowToUtf16(gbk, kCodePageGbk, OnInvalid::Replace);
    if (!wide) return QString::fromLatin1(gbk.data(), static_cast<qsizetype>(gbk.size()));
    return QString::fromUtf16(wide->data(), static_cast<qsizetype>(wide->size()));
}

QString MultiLineFromGbk(std::string_view gbk) {
    QString text = QStringFromGbk(gbk);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace patchwell
