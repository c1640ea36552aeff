// The notification-area icon's menu from the keyboard: the shell's key notifications open it as
// a click does, and the mouse keeps its own behaviour.
#include "components/CoolTrayIcon.h"

#include "WidgetShellRecorder.h"
#include "WidgetTestWindow.h"

#include <gtest/gtest.h>

#include <memory>

using namespace widget_test;

namespace {

class TrayIconKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.Create());
        icon = std::make_unique<TCoolTrayIcon>(owner.Handle(), shell.Function());
        menu = MakeTestMenu();
        icon->SetPopupMenu(menu);
    }
    void TearDown() override {
        icon.reset();
        DestroyMenu(menu);
    }
    void Send(UINT event) { SendMessageW(TCoolTrayIcon::CallbackWindow(), TrayCallbackMessage, icon->Id(), event); }

    MenuOwnerWindow owner;
    ShellRecorder shell;
    std::unique_ptr<TCoolTrayIcon> icon;
    HMENU menu = nullptr;
};

TEST_F(TrayIconKeyboardTest, EnterSpaceAndTheMenuKeyOpenTheMenu) {
    for (UINT event : {UINT{NIN_KEYSELECT}, UINT{WM_CONTEXTMENU}}) {
        const int before = owner.menuOpenings;
        Send(event);  // returns once the menu has closed
        EXPECT_EQ(owner.menuOpenings, before + 1) << "event " << event;
    }
}

TEST_F(TrayIconKeyboardTest, AnItemChosenFromTheKeyboardReachesTheOwner) {
    owner.menuAction = MenuOwnerWindow::MenuAction::ChooseFirstItem;
    Send(NIN_KEYSELECT);
    ASSERT_TRUE(PumpUntil([&] { return !owner.commands.empty(); }));
    EXPECT_EQ(owner.commands, std::vector<UINT>{101});
}

TEST_F(TrayIconKeyboardTest, WithoutAMenuTheKeysDoNothingAndAMouseReleaseOpensNone) {
    Send(WM_LBUTTONUP);
    EXPECT_EQ(owner.menuOpenings, 0) << "a release alone is no click";
    icon->SetPopupMenu(nullptr);
    Send(NIN_KEYSELECT);
    Send(WM_CONTEXTMENU);
    EXPECT_EQ(owner.menuOpenings, 0);
}

}  // namespace
