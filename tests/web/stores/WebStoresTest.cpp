// Where the web engine keeps the pages' files for the user: the profile
// (cookies, storage) in the data folder, the cache in the cache folder,
// both private to the user, with a real page of the stand-in shown.

#include "platform/PrivateFile.h"
#include "tests/web/WebTestSupport.h"
#include "tools/standin/StandIn.h"
#include "web/MiniWebBrowserDlg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

namespace fs = std::filesystem;

constexpr int kLoadMs = 30000;

bool HoldsAFile(const fs::path& folder) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec)) return true;
    }
    return false;
}

TEST(WebStoresTest, TheCacheIsInTheUsersCacheFolderAndTheProfileInTheDataFolder) {
    const fs::path cache = fs::path(std::getenv("XDG_CACHE_HOME")) / "Velora" / "TonvikMusic" / "WebEngine";
    const fs::path profile = fs::path(std::getenv("XDG_DATA_HOME")) / "Velora" / "TonvikMusic" / "WebEngine";
    standin::CStandIn standIn;
    ASSERT_TRUE(standIn.Start()) << standIn.Error();
    CProgramFolder program(standIn.Host());
    CSongRecorder frame;
    auto dialog = std::make_unique<CMiniWebBrowserDlg>(frame.Handle(), "Skin2", nullptr, [] { return ConnectionState::Connected; });
    dialog->ShowWindow(true);
    const std::string page = standIn.Url("/songhall/tonvik/newrecommand.shtml");
    ASSERT_TRUE(RunUntil([&] { return dialog->Browser().CurrentUrl() == page; }, kLoadMs));

    // The engine writes its cache's files as the page comes in.
    EXPECT_TRUE(RunUntil([&] { return HoldsAFile(cache); }, kLoadMs)) << "nothing cached in " << cache;
    EXPECT_EQ(tonvik::platform::PermissionBits(cache), 0700);
    EXPECT_EQ(tonvik::platform::PermissionBits(profile), 0700);
    EXPECT_FALSE(fs::exists(profile / "Cache")) << "the cache is in the profile's folder";
    // Nothing of the engine's lands beside the program's data folder.
    for (const fs::directory_entry& entry : fs::directory_iterator(std::getenv("XDG_DATA_HOME")))
        EXPECT_EQ(entry.path().filename(), "Velora") << "the engine wrote into " << entry.path();
    dialog.reset();
    standIn.Stop();
}

}  // namespace
