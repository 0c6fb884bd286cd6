// The about boxes: their captions and texts, and the home page link.

#include "albums/AboutDlg.h"
#include "albums/AboutTexts.h"
#include "albums/AboutTonvik.h"
#include "albums/AlbumDialogIds.h"
#include "common/WellKnownPaths.h"
#include "platform/Profile.h"
#include "platform/Shell.h"
#include "tests/support/TempDir.h"
#include "skin/controls/Label.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList LabelTexts(const QWidget& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    return texts;
}

TEST(AboutTonvikTest, ShowsTheProductTexts) {
    CAboutTonvik about;
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("关于Tonvik Player"));
    EXPECT_TRUE(about.isModal());
    const QStringList texts = LabelTexts(about);
    EXPECT_TRUE(texts.contains(QString::fromUtf8("网址：")));
    // The version is the build's own, as --version and the package say it (was a fixed text).
    EXPECT_TRUE(texts.contains(QString::fromUtf8("软件版本：Tonvik Player ") + TONVIK_PROJECT_VERSION));
    EXPECT_EQ(about.OwnershipText()->text(), QString::fromUtf8(kTonvikOwnershipNotice));
    EXPECT_FALSE(about.OwnershipText()->text().isEmpty());
}

// The service host of the options file in a folder of the test's own.
class AboutHomePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_strSavedIni = g_strIniFile;
        SetupWellKnownPaths(dir.Path());
        WritePrivateProfileString("Hosts", "Service", "127.0.0.1:48123", g_strIniFile);
    }
    void TearDown() override { g_strIniFile = m_strSavedIni; }

    static constexpr const char* kHomePage = "http://127.0.0.1:48123/";
    TempDir dir;
    std::string m_strSavedIni;
};

TEST_F(AboutHomePageTest, TheHomePageIsABlueUnderlinedLinkOnTheServiceHost) {
    CAboutTonvik about;
    CLabel* link = about.HomePageLink();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->ControlId(), 1066);
    EXPECT_EQ(link->Text(), QString::fromUtf8(kHomePage));
    EXPECT_EQ(link->LinkUrl(), QString::fromUtf8(kHomePage));
    EXPECT_TRUE(link->IsLink());
    EXPECT_FALSE(link->NotifiesParent());
    EXPECT_EQ(link->TextColor(), QColor(0, 0, 255));
    EXPECT_TRUE(link->LabelFont().underline());
}

TEST_F(AboutHomePageTest, ClickingTheLinkOpensTheHomePage) {
    std::vector<tonvik::platform::ShellRequest> requests;
    tonvik::platform::SetShellRecorder([&](const tonvik::platform::ShellRequest& request) {
        requests.push_back(request);
        return true;
    });
    CAboutTonvik about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    QTest::mouseClick(about.HomePageLink(), Qt::LeftButton, {}, about.HomePageLink()->rect().center());
    tonvik::platform::SetShellRecorder({});
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, tonvik::platform::ShellRequest::Kind::Url);
    EXPECT_EQ(requests[0].target, kHomePage);
    EXPECT_TRUE(about.isVisible());
}

TEST(AboutTonvikTest, OkClosesIt) {
    CAboutTonvik about;
    QSignalSpy accepted(&about, &QDialog::accepted);
    about.show();
    QPushButton* ok = about.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    ok->click();
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_FALSE(about.isVisible());
}

TEST(AboutDlgTest, ShowsTheVersionAndAnOwnershipLineWithTheYear) {
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("关于 TonvikMusic"));
    EXPECT_TRUE(about.isModal());
    // The build's own version (was a fixed text).
    EXPECT_EQ(about.VersionText()->text(), QString::fromUtf8("TonvikMusic " TONVIK_PROJECT_VERSION " 版"));
    EXPECT_TRUE(about.OwnershipText()->text().contains(QRegularExpression("(19|20)\\d\\d")));
    QSignalSpy accepted(&about, &QDialog::accepted);
    about.show();
    QPushButton* ok = about.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    ok->click();
    EXPECT_EQ(accepted.count(), 1);
}

}  // namespace
