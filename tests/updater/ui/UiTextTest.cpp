#include "updater/ui/UiText.h"

#include "tests/updater/ui/GbkLiteral.h"

#include <gtest/gtest.h>

namespace patchwell {
namespace {

using testing::GbkText;

TEST(UiTextTest, ConvertsGbkToUnicode) {
    EXPECT_EQ(QStringFromGbk(GbkText("升级失败，请重启TonvikMusic进行升级！")),
              QStringLiteral("升级失败，请重启TonvikMusic进行升级！"));
    EXPECT_EQ(QStringFromGbk("\xc9\xfd\xbc\xb6"), QStringLiteral("升级"));  // the GBK bytes themselves
    EXPECT_TRUE(QStringFromGbk("").isEmpty());
}

TEST(UiTextTest, InvalidBytesBecomeReplacementCharacters) {
    const QString text = QStringFromGbk(std::string("A\xff") + "B\x81");
    EXPECT_TRUE(text.startsWith(QLatin1Char('A')));
    EXPECT_TRUE(text.contains(QLatin1Char('B')));
    EXPECT_TRUE(text.contains(QChar(0xFFFD)));
}

TEST(UiTextTest, MultiLineTextsUseOneKindOfLineBreak) {
    EXPECT_EQ(MultiLineFromGbk(GbkText("第一行\r\n第二行\r第三行\n第四行\r\n")),
              QStringLiteral("第一行\n第二行\n第三行\n第四行\n"));
    EXPECT_EQ(MultiLineFromGbk(GbkText("\r\n\r\n")), QStringLiteral("\n\n"));
}

}  // namespace
}  // namespace patchwell
