#include "core/PelkoState.h"

#include <gtest/gtest.h>

using namespace core;

namespace {

EventFollowUp Apply(TPelkoState& state, int32_t code, int32_t p1 = 0, int32_t p2 = 0, int32_t p3 = 0,
                    const std::wstring* text = nullptr) {
    EngineEvent event;
    event.code = code;
    event.param1 = p1;
    event.param2 = p2;
    event.param3 = p3;
    event.text = text;
    return ApplyEngineEvent(state, event);
}

TPelkoState LoggedIn() {
    TPelkoState state;
    Apply(state, 7);
    return state;
}

}  // namespace

TEST(EngineEvents, DispatchOnTheLowEightBits) {
    struct Case {
        int32_t code;
        EventFollowUp expected;
    } cases[] = {
        {261, EventFollowUp::UpdateStatus},      // 5 + 256: logging in
        {20, EventFollowUp::UnexpectedStatus},   {-1, EventFollowUp::UnexpectedStatus},
        {255, EventFollowUp::UnexpectedStatus},  {1, EventFollowUp::InitFailed},
        {17, EventFollowUp::FatalError},         {6, EventFollowUp::LoginRefused},
        {13, EventFollowUp::UpdateUploadProgress}, {16, EventFollowUp::UpdateUploadProgress},
        {0x100 + 17, EventFollowUp::FatalError},
    };
    for (const Case& c : cases) {
        TPelkoState state;
        EXPECT_EQ(Apply(state, c.code), c.expected) << "code " << c.code;
    }
    TPelkoState state;
    Apply(state, 261);
    EXPECT_EQ(state.connectionState, TPelkoConnectionState::LoggingIn);
}

TEST(EngineEvents, QuietCodesChangeNothing) {
    for (int32_t code : {0, 2, 3, 4, 9}) {
        TPelkoState state = LoggedIn();
        state.filesLeftToUpload = 3;
        EXPECT_EQ(Apply(state, code, 1, 2, 3), EventFollowUp::Nothing);
        EXPECT_EQ(state.connectionState, TPelkoConnectionState::LoggedIn);
        EXPECT_EQ(state.filesLeftToUpload, 3);
    }
}

TEST(EngineEvents, ResetKeepsFileNames) {
    TPelkoState state = LoggedIn();
    const std::wstring file = L"song.mp3";
    Apply(state, 10, 0, 0, 0, &file);
    Apply(state, 12, 0, 0, 0, &file);
    Apply(state, 15, 4, 10);
    Apply(state, 8);
    EXPECT_EQ(state.connectionState, TPelkoConnectionState::LoggedOut);
    EXPECT_FALSE(state.streaming);
    EXPECT_FALSE(state.uploading);
    EXPECT_EQ(state.filesLeftToUpload, -1);
    EXPECT_EQ(state.totalTracksOnline, 0);
    EXPECT_EQ(state.streamingFile, file);
    EXPECT_EQ(state.uploadingFile, file);
}

TEST(EngineEvents, UploadFinishedCountsAndLowersOnlyPositiveCounts) {
    struct Case {
        int32_t left, expectedLeft;
    } cases[] = {{3, 2}, {1, 0}, {0, 0}, {-1, -1}};
    for (const Case& c : cases) {
        TPelkoState state = LoggedIn();
        state.filesLeftToUpload = c.left;
        Apply(state, 12);
        Apply(state, 14, 1);
        EXPECT_EQ(state.filesLeftToUpload, c.expectedLeft);
        EXPECT_EQ(state.filesUploadedInSession, 1);
        EXPECT_EQ(state.lastUploadResult, TLastUploadResult::LastUploadSuccess);
    }
    TPelkoState failed = LoggedIn();
    failed.filesLeftToUpload = 3;
    Apply(failed, 14, 0);
    EXPECT_EQ(failed.filesLeftToUpload, 3);
    EXPECT_EQ(failed.filesUploadedInSession, 0);
    EXPECT_EQ(failed.lastUploadResult, TLastUploadResult::LastUploadFailed);
}

TEST(EngineEvents, CountsOfZeroRestartTheSessionCount) {
    TPelkoState state = LoggedIn();
    Apply(state, 15, 2, 7);
    Apply(state, 14, 1);
    EXPECT_EQ(state.filesUploadedInSession, 1);
    Apply(state, 15, 0, 8);
    EXPECT_EQ(state.filesUploadedInSession, 0);
    EXPECT_EQ(state.totalTracksOnline, 8);
}

TEST(EngineEvents, NullTextStoresEmptyName) {
    TPelkoState state;
    state.streamingFile = L"old";
    Apply(state, 10);
    EXPECT_TRUE(state.streaming);
    EXPECT_EQ(state.streamingFile, L"");
}

TEST(StatusDerivation, FirstMatchWins) {
    struct Case {
        const char* name;
        TPelkoState state;
        TPelkoStatusState expected;
    };
    auto with = [](auto change) {
        TPelkoState s;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"logged out", TPelkoState{}, TPelkoStatusState::Disconnected},
        {"logging in", with([](TPelkoState& s) { s.connectionState = TPelkoConnectionState::LoggingIn; }),
         TPelkoStatusState::Connecting},
        {"logged in, no count yet", with([](TPelkoState& s) { s.connectionState = TPelkoConnectionState::LoggedIn; }),
         TPelkoStatusState::WaitingForUpload},
        {"logged in, nothing left", with([](TPelkoState& s) {
             s.connectionState = TPelkoConnectionState::LoggedIn;
             s.filesLeftToUpload = 0;
         }),
         TPelkoStatusState::Idle},
        {"scanning while logged out", with([](TPelkoState& s) { s.scanningTracks = true; }),
         TPelkoStatusState::Indexing},
        {"streaming during upload", with([](TPelkoState& s) {
             s.uploading = true;
             s.streaming = true;
         }),
         TPelkoStatusState::Streaming},
        {"uploading while logged out", with([](TPelkoState& s) { s.uploading = true; }),
         TPelkoStatusState::Uploading},
        {"indexer beats upload", with([](TPelkoState& s) {
             s.uploading = true;
             s.indexerUpdatingServer = true;
         }),
         TPelkoStatusState::Indexing},
    };
    for (const Case& c : cases) EXPECT_EQ(DeriveStatus(c.state), c.expected) << c.name;
}
