// Named locks: the stand-ins of the single-instance mutex and the setup event.

#include "app/TonvikMusicApp.h"
#include "platform/NamedLock.h"
#include "tests/app/startup/StartupTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

using tonvik::platform::NamedLock;
using tonvik::platform::NamedLockPath;

TEST(NamedLockTest, ANameIsHeldByOneOwnerAtATime) {
    IsolatedRuntime runtime;
    NamedLock first(kInstanceMutexName);
    NamedLock second(kInstanceMutexName);
    EXPECT_FALSE(NamedLock::IsHeldByAnyone(kInstanceMutexName));

    ASSERT_EQ(first.Acquire(), NamedLock::Result::Acquired);
    EXPECT_TRUE(first.IsHeld());
    EXPECT_TRUE(NamedLock::IsHeldByAnyone(kInstanceMutexName));
    EXPECT_EQ(second.Acquire(), NamedLock::Result::AlreadyExists);
    EXPECT_FALSE(second.IsHeld());
    EXPECT_EQ(first.Acquire(), NamedLock::Result::Acquired) << "taking it again keeps it";

    // Another name is independent.
    NamedLock setup(kSetupEventName);
    EXPECT_EQ(setup.Acquire(), NamedLock::Result::Acquired);
}

TEST(NamedLockTest, ReleasingRemovesTheFileAndFreesTheName) {
    IsolatedRuntime runtime;
    const auto path = NamedLockPath(kSetupEventName);
    EXPECT_EQ(path.parent_path(), runtime.Folder());
    {
        NamedLock lock(kSetupEventName);
        ASSERT_EQ(lock.Acquire(), NamedLock::Result::Acquired);
        EXPECT_TRUE(std::filesystem::exists(path));
        lock.Release();
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_FALSE(lock.IsHeld());
        lock.Release();  // twice is harmless
        ASSERT_EQ(lock.Acquire(), NamedLock::Result::Acquired);
    }
    EXPECT_FALSE(std::filesystem::exists(path)) << "the destructor releases";
    NamedLock other(kSetupEventName);
    EXPECT_EQ(other.Acquire(), NamedLock::Result::Acquired);
}

TEST(NamedLockTest, AFileNobodyHoldsDoesNotCount) {
    IsolatedRuntime runtime;
    // What a killed owner leaves behind: the file without a lock on it.
    std::ofstream(NamedLockPath(kInstanceMutexName)) << "left over";
    EXPECT_FALSE(NamedLock::IsHeldByAnyone(kInstanceMutexName));
    NamedLock lock(kInstanceMutexName);
    EXPECT_EQ(lock.Acquire(), NamedLock::Result::Acquired);
}

TEST(NamedLockTest, NamesBecomeSafeFileNames) {
    IsolatedRuntime runtime;
    EXPECT_EQ(NamedLockPath("Tonvik音乐").filename().string(), "Tonvik音乐.lock");
    EXPECT_EQ(NamedLockPath("Global\\Tonvik音乐").filename().string(), "Global%5CTonvik音乐.lock");
    EXPECT_EQ(NamedLockPath("a/b%c").filename().string(), "a%2Fb%25c.lock");
    EXPECT_EQ(NamedLockPath("..").filename().string(), "%...lock");
    EXPECT_NE(NamedLockPath("a/b"), NamedLockPath("a%2Fb")) << "escaping must not merge names";

    NamedLock slashed("x/y");
    ASSERT_EQ(slashed.Acquire(), NamedLock::Result::Acquired);
    EXPECT_EQ(NamedLockPath("x/y").parent_path(), runtime.Folder());
}

TEST(NamedLockTest, TheInstanceNameCarriesTheGlobalPrefixOnLaterSystems) {
    EXPECT_EQ(InstanceMutexName(0), "Tonvik音乐");
    EXPECT_EQ(InstanceMutexName(3), "Tonvik音乐");
    EXPECT_EQ(InstanceMutexName(4), "Global\\Tonvik音乐");
    EXPECT_EQ(InstanceMutexName(7), "Global\\Tonvik音乐");
}
