#pragma once
// A folder, a clock and a message box for testing the name dialogs' rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_services.h"
#include "newfile/name_dialog_services.h"

namespace qlry::test {

class FakeClock : public Clock {
public:
    LocalTime now{2013, 11, 5, 14, 30, 12};
    LocalTime Now() override { return now; }
};

class FakeWarningBox : public WarningBox {
public:
    std::vector<std::wstring> shown;
    void Show(const std::wstring& text) override { shown.push_back(text); }
};

struct NameDialogFixture : ::testing::Test {
    const std::wstring folder = L"C:\\work";
    FakeProfile profile;
    FakeFileSystem files;
    FakeClock clock;
    FakeWarningBox warning;
    NameDialogServices services{profile, files, clock};

    bool NothingRemembered() const { return profile.ints.empty() && profile.strings.empty(); }
    std::wstring RememberedText() { return profile.GetString(L"Settings", L"TextExtension", L"<none>"); }
    int RememberedImage() { return profile.GetInt(L"Settings", L"ImageExtension", -1); }
};

}  // namespace qlry::test
