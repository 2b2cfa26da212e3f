// The exported functions' rules: order of the registration steps, the first
// failure, DllInstall's command line, unloading, the factory's checks, the
// lock count and the once-created factory.
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "shellext/once_slot.h"
#include "shellext/server_lock.h"
#include "shellext/server_rules.h"

namespace qlry {
namespace {

class RecordingSteps : public ServerSteps {
public:
    std::vector<std::string> calls;
    std::string failing;  // the step that fails
    bool perUser = false;

    void EnterSystemLocale() override { calls.push_back("locale"); }
    void RestoreLocale() override { calls.push_back("restore"); }
    HResult ApplyAppIdScript(bool on) override { return Step(on ? "appid+" : "appid-"); }
    HResult ApplyClassScript(bool on) override { return Step(on ? "class+" : "class-"); }
    HResult RegisterTypeLibrary() override { return Step("typelib+"); }
    HResult UnregisterTypeLibrary() override { return Step("typelib-"); }
    HResult RegisterProxy() override { return Step("proxy+"); }
    HResult UnregisterProxy() override { return Step("proxy-"); }
    void SwitchToPerUser() override {
        perUser = true;
        calls.push_back("user");
    }
    bool IsPerUser() const override { return perUser; }

private:
    HResult Step(const std::string& name) {
        calls.push_back(name);
        return name == failing ? kEFail : kSOk;
    }
};

using Calls = std::vector<std::string>;

TEST(RegisterServer, RunsTheStepsInOrder) {
    RecordingSteps steps;
    EXPECT_EQ(kSOk, RegisterServer(steps));
    EXPECT_EQ((Calls{"locale", "appid+", "class+", "typelib+", "restore", "proxy+"}), steps.calls);
}

TEST(RegisterServer, StopsAtTheFirstFailureAndRestoresTheLocale) {
    for (const char* failing : {"appid+", "class+", "typelib+"}) {
        RecordingSteps steps;
        steps.failing = failing;
        EXPECT_EQ(kEFail, RegisterServer(steps));
        EXPECT_EQ(failing, steps.calls[steps.calls.size() - 2]);
        EXPECT_EQ("restore", steps.calls.back());
    }
    RecordingSteps steps;
    steps.failing = "proxy+";
    EXPECT_EQ(kEFail, RegisterServer(steps));
}

TEST(UnregisterServer, RunsTheStepsInOrder) {
    RecordingSteps steps;
    EXPECT_EQ(kSOk, UnregisterServer(steps));
    EXPECT_EQ((Calls{"locale", "class-", "typelib-", "appid-", "restore", "proxy+", "proxy-"}), steps.calls);
}

TEST(UnregisterServer, ProxyRegistrationFailureSkipsItsUnregistration) {
    RecordingSteps steps;
    steps.failing = "proxy+";
    EXPECT_EQ(kEFail, UnregisterServer(steps));
    EXPECT_EQ("proxy+", steps.calls.back());
}

TEST(UnregisterServer, ScriptFailureStopsBeforeTheProxy) {
    RecordingSteps steps;
    steps.failing = "typelib-";
    EXPECT_EQ(kEFail, UnregisterServer(steps));
    EXPECT_EQ((Calls{"locale", "class-", "typelib-", "restore"}), steps.calls);
}

TEST(InstallServer, UserInAnyCaseSwitchesToPerUser) {
    for (const wchar_t* line : {L"user", L"USER", L"User"}) {
        RecordingSteps steps;
        EXPECT_EQ(kSOk, InstallServer(steps, true, line));
        EXPECT_TRUE(steps.perUser);
        EXPECT_EQ("user", steps.calls.front());
    }
}

TEST(InstallServer, OtherCommandLinesKeepMachineMode) {
    for (const wchar_t* line : {L"users", L"use", L"", L"user ", L" user", static_cast<const wchar_t*>(nullptr)}) {
        RecordingSteps steps;
        EXPECT_EQ(kSOk, InstallServer(steps, true, line));
        EXPECT_FALSE(steps.perUser);
    }
}

TEST(InstallServer, FailedInstallUnregisters) {
    RecordingSteps steps;
    steps.failing = "typelib+";
    EXPECT_EQ(kEFail, InstallServer(steps, true, nullptr));
    EXPECT_EQ((Calls{"locale", "appid+", "class+", "typelib+", "restore", "locale", "class-", "typelib-", "appid-",
                     "restore", "proxy+", "proxy-"}),
              steps.calls);
}

// A user without administrator rights cannot write the machine-wide
// interface keys of the proxy/stub: per-user mode never asks for them, not
// when registering, unregistering or cleaning up after a failure.
TEST(InstallServer, PerUserLeavesTheProxyStubAlone) {
    struct {
        bool install;
        const char* failing;
        HResult result;
        Calls calls;
    } const cases[] = {
        {true, "", kSOk, {"user", "locale", "appid+", "class+", "typelib+", "restore"}},
        {false, "", kSOk, {"user", "locale", "class-", "typelib-", "appid-", "restore"}},
        {true,
         "typelib+",
         kEFail,
         {"user", "locale", "appid+", "class+", "typelib+", "restore", "locale", "class-", "typelib-", "appid-",
          "restore"}},
        // A proxy/stub that would fail (no rights) is not reached at all.
        {true, "proxy+", kSOk, {"user", "locale", "appid+", "class+", "typelib+", "restore"}},
        {false, "proxy+", kSOk, {"user", "locale", "class-", "typelib-", "appid-", "restore"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.install ? "install" : "uninstall") + " failing " + c.failing);
        RecordingSteps steps;
        steps.failing = c.failing;
        EXPECT_EQ(c.result, InstallServer(steps, c.install, L"user"));
        EXPECT_EQ(c.calls, steps.calls);
    }
}

TEST(InstallServer, MachineModeStillRegistersTheProxyStub) {
    RecordingSteps install, uninstall;
    EXPECT_EQ(kSOk, InstallServer(install, true, L"users"));
    EXPECT_EQ("proxy+", install.calls.back());
    EXPECT_EQ(kSOk, InstallServer(uninstall, false, nullptr));
    EXPECT_EQ((Calls{"proxy+", "proxy-"}), Calls(uninstall.calls.end() - 2, uninstall.calls.end()));
}

// The flag lasts for the process: a later DllRegisterServer or
// DllUnregisterServer in it stays per user too.
TEST(InstallServer, PerUserModeLastsForLaterCalls) {
    RecordingSteps steps;
    ASSERT_EQ(kSOk, InstallServer(steps, true, L"USER"));
    steps.calls.clear();
    EXPECT_EQ(kSOk, RegisterServer(steps));
    EXPECT_EQ(kSOk, UnregisterServer(steps));
    EXPECT_EQ((Calls{"locale", "appid+", "class+", "typelib+", "restore", "locale", "class-", "typelib-", "appid-",
                     "restore"}),
              steps.calls);
}

TEST(InstallServer, UninstallIsUnregistration) {
    RecordingSteps plain, viaInstall;
    EXPECT_EQ(UnregisterServer(plain), InstallServer(viaInstall, false, nullptr));
    EXPECT_EQ(plain.calls, viaInstall.calls);
}

TEST(CanUnloadNow, FollowsTheProxyThenTheLockCount) {
    EXPECT_EQ(kSOk, CanUnloadNow(kSOk, 0));
    EXPECT_EQ(kSFalse, CanUnloadNow(kSOk, 1));
    EXPECT_EQ(kSFalse, CanUnloadNow(kSFalse, 0));
    EXPECT_EQ(kEFail, CanUnloadNow(kEFail, 3));
}

TEST(CheckCreateInstance, PointerThenAggregation) {
    EXPECT_EQ(kEPointer, CheckCreateInstance(true, false, false));
    EXPECT_EQ(kClassENoAggregation, CheckCreateInstance(true, false, true));
    EXPECT_EQ(kSOk, CheckCreateInstance(true, true, true));
    EXPECT_EQ(kSOk, CheckCreateInstance(false, false, true));
}

TEST(ServerLock, ConcurrentChangesBalance) {
    CServerLock lock;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                lock.Lock();
                lock.Unlock();
            }
            lock.Lock();
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(4, lock.Count());
}

TEST(OnceSlot, TwoThreadsGetOneObject) {
    for (int round = 0; round < 50; ++round) {
        COnceSlot<int> slot;
        std::atomic<int> made{0};
        int storage[8] = {};
        int* seen[2] = {};
        auto make = [&]() -> int* { return &storage[made++]; };
        std::thread a([&] { seen[0] = slot.GetOrCreate(make); });
        std::thread b([&] { seen[1] = slot.GetOrCreate(make); });
        a.join();
        b.join();
        EXPECT_EQ(1, made.load());
        EXPECT_EQ(seen[0], seen[1]);
    }
}

TEST(OnceSlot, FailedCreationIsRetried) {
    COnceSlot<int> slot;
    int value = 7;
    EXPECT_EQ(nullptr, slot.GetOrCreate([]() -> int* { return nullptr; }));
    EXPECT_EQ(&value, slot.GetOrCreate([&] { return &value; }));
    EXPECT_EQ(&value, slot.Take());
    EXPECT_EQ(nullptr, slot.Peek());
}

}  // namespace
}  // namespace qlry
