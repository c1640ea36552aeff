// The status panel and the notification-area icon follow the engine's events.
#include "BoxWatcher.h"
#include "GUI/EngineBridge.h"
#include "MainWindowFixture.h"

#include <algorithm>
#include <atomic>
#include <thread>

using namespace tests;

namespace {

std::vector<ui::Image*> VisibleStatusImages(TPelkoMainForm& form) {
    std::vector<ui::Image*> visible;
    for (ui::Image* image : {&form.StatusImageConnecting, &form.StatusImageUploading, &form.StatusImageStreaming,
                             &form.StatusImageIdle, &form.StatusImageIndexing})
        if (image->Visible()) visible.push_back(image);
    return visible;
}

class StatusTest : public MainWindowTest {
protected:
    void ExpectShows(const wchar_t* title, const std::wstring& description, const std::wstring& info,
                     ui::Image* image, const wchar_t* tip, HIMAGELIST animation, bool gauge) {
        EXPECT_EQ(form->StatusLabel.Caption(), title);
        EXPECT_EQ(form->StatusDescriptionLabel.Caption(), description);
        EXPECT_EQ(form->InfoLabel.Caption(), info);
        const std::vector<ui::Image*> visible = VisibleStatusImages(*form);
        if (image) {
            EXPECT_EQ(visible, std::vector<ui::Image*>{image});
        } else {
            EXPECT_TRUE(visible.empty());
        }
        EXPECT_EQ(form->TrayIcon->Hint(), tip);
        EXPECT_EQ(form->TrayIcon->CycleIcons(), animation != nullptr);
        if (animation) {
            EXPECT_EQ(form->TrayIcon->IconList(), animation);
        }
        EXPECT_EQ(form->UploadsLeftProgress.Visible(), gauge);
    }
};

const std::wstring kOnline11 = L"Your music is now available online (11 tracks)";

}  // namespace

TEST_F(StatusTest, StartsLoggedOutWithTheStillIcon) {
    ExpectShows(L"", L"", L"", nullptr, L"Tonalix (Logged out)", nullptr, false);
    EXPECT_NE(form->TrayIcon->Icon(), nullptr);
    EXPECT_TRUE(form->TrayIcon->IconVisible());
}

TEST_F(StatusTest, ALoginAndAnUploadFromStartToIdle) {
    Event(5);
    ExpectShows(L"Connecting", L"Connecting to Tonalix servers...", L"", &form->StatusImageConnecting,
                L"Tonalix (Connecting)", form->ConnectingTrayIconAnim.Handle(), false);

    Event(7);  // logged in, no count yet: waiting, gauge hidden
    ExpectShows(L"Online", L"Your music is now available online (0 tracks)", L"Storing tracks on server:",
                &form->StatusImageUploading, L"Tonalix (Storing music)", form->UploadingTrayIconAnim.Handle(), false);

    Event(15, 3, 11);
    ExpectShows(L"Online", kOnline11, L"Storing tracks on server:", &form->StatusImageUploading,
                L"Tonalix (Storing music)", form->UploadingTrayIconAnim.Handle(), true);
    EXPECT_EQ(form->UploadsLeftProgress.Text(), L"Storing track 0.00 of 3");

    Event(12, 0, 0, 0, L"C:\\Music\\a.mp3");
    ExpectShows(L"Online", kOnline11, L"Storing tracks on server:", &form->StatusImageUploading,
                L"Tonalix (Storing music)", form->UploadingTrayIconAnim.Handle(), true);

    Event(16, 1200, 700, 1000);  // half of the file sent
    EXPECT_EQ(form->UploadsLeftProgress.Text(), L"Storing track 0.50 of 3");
    EXPECT_EQ(form->UploadsLeftProgress.Progress(), 17);

    Event(13);
    Event(14, 1);
    EXPECT_EQ(form->UploadsLeftProgress.Text(), L"Storing track 1.00 of 3");
    EXPECT_EQ(form->UploadsLeftProgress.Progress(), 33);

    Event(15, 0, 12);
    ExpectShows(L"Online", L"Your music is now available online (12 tracks)",
                L"Monitoring music collection on this computer for changes.", &form->StatusImageIdle,
                L"Tonalix (Online)", nullptr, false);
    EXPECT_NE(form->TrayIcon->Icon(), nullptr);

    Event(8);
    ExpectShows(L"", L"", L"", nullptr, L"Tonalix (Logged out)", nullptr, false);
}

TEST_F(StatusTest, StreamingAndScanningWinOverUploads) {
    Event(7);
    Event(15, 2, 11);
    Event(12, 0, 0, 0, L"a.mp3");
    Event(10, 0, 0, 0, L"Song.mp3");
    ExpectShows(L"Streaming", kOnline11, L"Streaming file \"Song.mp3\" from this computer.",
                &form->StatusImageStreaming, L"Tonalix (Streaming)", form->StreamingTrayIconAnim.Handle(), false);
    Event(11);
    ExpectShows(L"Online", kOnline11, L"Storing tracks on server:", &form->StatusImageUploading,
                L"Tonalix (Storing music)", form->UploadingTrayIconAnim.Handle(), true);
    Event(18, 1);
    ExpectShows(L"Indexing", kOnline11, L"Scanning for new music and updating server...",
                &form->StatusImageIndexing, L"Tonalix (Indexing)", form->IndexingTrayIconAnim.Handle(), false);
}

TEST_F(StatusTest, ScanningWhileLoggedOutIsIndexing) {
    Event(18, 1);
    EXPECT_EQ(form->StatusLabel.Caption(), L"Indexing");
    Event(18, 0);
    EXPECT_EQ(form->StatusLabel.Caption(), L"");
}

TEST_F(StatusTest, QuietCodesRefreshNothing) {
    Event(7);
    form->InfoLabel.SetCaption(L"marker");
    for (int32_t code : {0, 2, 3, 4, 9}) Event(code, 1, 2, 3);
    EXPECT_EQ(form->InfoLabel.Caption(), L"marker");
}

TEST_F(StatusTest, TracksOnlineAreWrittenUnsigned) {
    Event(7);
    Event(15, 0, -1);
    EXPECT_EQ(form->StatusDescriptionLabel.Caption(), L"Your music is now available online (4294967295 tracks)");
}

TEST_F(StatusTest, UploadingWithNothingLeftShowsAnEmptyGauge) {
    Event(7);
    Event(15, 0, 5);
    Event(12, 0, 0, 0, L"a.mp3");
    EXPECT_TRUE(form->UploadsLeftProgress.Visible());
    EXPECT_EQ(form->UploadsLeftProgress.Text(), L"");
    EXPECT_EQ(form->UploadsLeftProgress.Progress(), 0);
}

TEST_F(StatusTest, LongStreamingNamesAreCutToTheDescriptionWidth) {
    Event(10, 0, 0, 0, std::wstring(300, L'W').c_str());
    const std::wstring info = form->InfoLabel.Caption();
    const std::wstring prefix = L"Streaming file \"";
    const std::wstring suffix = L"...\" from this computer.";
    ASSERT_GT(info.size(), prefix.size() + suffix.size());
    EXPECT_EQ(info.substr(0, prefix.size()), prefix);
    EXPECT_EQ(info.substr(info.size() - suffix.size()), suffix);
    const std::wstring name = info.substr(prefix.size(), info.size() - prefix.size() - suffix.size() + 3);
    EXPECT_LT(name.size(), 300u);
    ASSERT_EQ(name.substr(name.size() - 3), L"...");
    // Narrower than the description, and as long as that allows: one more letter would not fit.
    const auto width = [&](const std::wstring& text) {
        const HDC dc = GetDC(nullptr);
        const HGDIOBJ old = SelectObject(dc, form->StatusDescriptionLabel.FontHandle());
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return static_cast<int>(size.cx);
    };
    const int limit = form->StatusDescriptionLabel.Width();
    EXPECT_LT(width(name), limit);
    EXPECT_GE(width(L"W" + name), limit);

    Event(10, 0, 0, 0, L"Short.mp3");
    EXPECT_EQ(form->InfoLabel.Caption(), L"Streaming file \"Short.mp3\" from this computer.");
}

TEST_F(StatusTest, RefusedLoginWithoutTextExplainsOnTheLoginPanel) {
    form->ShowStatusPanel();
    Event(5);
    Event(6);
    EXPECT_TRUE(IsShown(form->LoginPanel.Handle()));
    EXPECT_FALSE(IsShown(form->StatusPanel.Handle()));
    EXPECT_FALSE(form->LoginTitleLabel.Visible());
    EXPECT_TRUE(form->LoginMessageLabel.Visible());
    EXPECT_EQ(form->LoginMessageLabel.Caption(), L"Email and password do not match");
    EXPECT_EQ(form->TrayIcon->Hint(), L"Tonalix (Logged out)");
}

TEST_F(StatusTest, RefusedLoginWithTextShowsItInAnErrorBox) {
    BoxWatcher watcher(IDOK);
    Event(6, 0, 0, 0, L"Cannot reach the server");
    Event(6, 0, 0, 0, L"");
    const std::vector<SeenBox> seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, L"Error");
    EXPECT_EQ(seen[0].text, L"Cannot reach the server");
    EXPECT_EQ(seen[1].text, L"");
    EXPECT_TRUE(form->LoginTitleLabel.Visible());
    EXPECT_FALSE(form->LoginMessageLabel.Visible());
}

TEST_F(StatusTest, EventsKeepBeingAppliedWhileAnErrorBoxIsOpen) {
    // The engine goes on calling back from its own thread while the first box is open.
    std::thread engine([] {
        Sleep(300);
        EngineCallback(7, 0, 0, 0, nullptr);
        EngineCallback(15, 4, 9, 0, nullptr);
    });
    std::atomic<int32_t> leftWhileOpen{-100};
    {
        // The box stays open long enough for the later events to arrive and be applied inside it.
        BoxWatcher watcher(IDOK, 1000, [&] { leftWhileOpen = form->pelkoState.filesLeftToUpload; });
        EngineCallback(6, 0, 0, 0, L"first");
        Pump(1500);
    }
    engine.join();
    Pump(50);
    EXPECT_EQ(leftWhileOpen.load(), 4);
    EXPECT_EQ(form->pelkoState.connectionState, core::TPelkoConnectionState::LoggedIn);
    EXPECT_EQ(form->pelkoState.filesLeftToUpload, 4);
    EXPECT_EQ(form->StatusDescriptionLabel.Caption(), L"Your music is now available online (9 tracks)");
}

TEST_F(StatusTest, EventsWaitingBehindAnErrorAreAppliedInsideItsBox) {
    std::atomic<int32_t> leftWhileOpen{-100};
    std::atomic<bool> loggedInWhileOpen{false};
    {
        BoxWatcher watcher(IDOK, 300, [&] {
            leftWhileOpen = form->pelkoState.filesLeftToUpload;
            loggedInWhileOpen = form->pelkoState.connectionState == core::TPelkoConnectionState::LoggedIn;
        });
        // One batch: all three wait before the window thread comes to the first.
        EngineCallback(6, 0, 0, 0, L"first");
        EngineCallback(7, 0, 0, 0, nullptr);
        EngineCallback(15, 4, 9, 0, nullptr);
        Pump(1000);
        ASSERT_EQ(watcher.Seen().size(), 1u);
    }
    EXPECT_EQ(leftWhileOpen.load(), 4);
    EXPECT_TRUE(loggedInWhileOpen.load());
    EXPECT_EQ(form->engineMessageQueue->WaitingCount(), 0u);
}

TEST_F(StatusTest, TwoEndingEventsInOneBatchEachShowTheirBox) {
    std::vector<SeenBox> seen;
    {
        BoxWatcher watcher(IDOK, 200);
        EngineCallback(1, 0, 0, 0, nullptr);
        EngineCallback(17, 0, 0, 0, nullptr);
        Pump(1500);
        seen = watcher.Seen();
    }
    std::vector<std::wstring> texts;
    for (const SeenBox& box : seen) {
        EXPECT_EQ(box.caption, L"Error");
        texts.push_back(box.text);
    }
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"Initialization failed, program will now shutdown.",
                                                 L"Tonalix encountered a fatal error, it will now shutdown."}));
    EXPECT_TRUE(form->EnableClose);
}
