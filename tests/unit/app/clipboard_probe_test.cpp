// What counts as clipboard content, and that the main program and the
// Explorer extension judge every clipboard alike: the menu must offer a
// paste exactly when the program will do one.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/clipboard_kind.h"
#include "shellext/context_menu_logic.h"
#include "support/fake_clipboard.h"
#include "support/fake_global_memory.h"
#include "support/fake_menu.h"
#include "support/fake_registry.h"
#include "support/fake_shell.h"

namespace {

// The clipboard and its memory (the transfer fakes are not needed here, and
// their header's names collide with the extension's).
struct FakeServices {
    qlry::test::FakeGlobalMemory memory;
    qlry::test::FakeClipboard clipboard{memory};
};

struct ClipboardState {
    const char* name;
    std::function<void(FakeServices&)> put;
    ContentKind kind;
};

qlry::HGlobal SomeBlock(FakeServices& fake) { return fake.memory.Alloc(qlry::kGmemMoveable, 64); }

std::vector<ClipboardState> States() {
    const auto png = [](FakeServices& f) { f.clipboard.Put(f.clipboard.Registered(L"PNG"), SomeBlock(f)); };
    return {
        {"Empty", [](FakeServices&) {}, KindNone},
        {"Text", [](FakeServices& f) { f.clipboard.PutText(u"hello"); }, KindText},
        {"Dib", [](FakeServices& f) { f.clipboard.Put(qlry::kCfDib, SomeBlock(f)); }, KindImage},
        {"PngAlone", png, KindImage},
        {"PngNamedInOtherCase", [](FakeServices& f) { f.clipboard.Put(f.clipboard.Registered(L"png"), SomeBlock(f)); },
         KindImage},
        {"PngAndText", [png](FakeServices& f) { png(f); f.clipboard.PutText(u"hello"); }, KindText},
        {"PngAndDib", [png](FakeServices& f) { png(f); f.clipboard.Put(qlry::kCfDib, SomeBlock(f)); }, KindImage},
        {"PngWithoutANumber", [png](FakeServices& f) { png(f); f.clipboard.failRegister = true; }, KindNone},
        {"OtherRegisteredFormat",
         [](FakeServices& f) { f.clipboard.Put(f.clipboard.Registered(L"HTML Format"), SomeBlock(f)); }, KindNone},
        {"PngButBusy", [png](FakeServices& f) { png(f); f.clipboard.failOpen = true; }, KindNone},
    };
}

TEST(ClipboardProbe, BothDeliverablesJudgeEveryClipboardAlike) {
    for (const ClipboardState& state : States()) {
        SCOPED_TRACE(state.name);
        FakeServices fake;
        qlry::test::FakeShell shell;
        qlry::test::FakeMenu menu;
        qlry::test::FakeRegistry registry;
        qlry::CContextMenuLogic handler({fake.clipboard, shell, menu, registry});
        state.put(fake);

        EXPECT_EQ(GetClipboardKind(fake.clipboard), state.kind);
        EXPECT_EQ(handler.GetClipboardKind(), state.kind);
        EXPECT_FALSE(fake.clipboard.IsOpen());
    }
}

TEST(ClipboardProbe, APngIsAskedAboutButNeverFetched) {
    // Fetching would make the offering program render a delayed PNG.
    FakeServices fake;
    const uint32_t png = fake.clipboard.Registered(L"PNG");
    fake.clipboard.Put(png, SomeBlock(fake));
    EXPECT_EQ(GetClipboardKind(fake.clipboard), KindImage);
    EXPECT_EQ(fake.clipboard.GetCount(png), 0);
    EXPECT_EQ(fake.clipboard.GetCount(qlry::kCfDib), 1);  // the bitmap comes first, as always
}

}  // namespace
