// The client's picture of the engine, how engine events change it, and the status derived from it.
#pragma once

#include <cstdint>
#include <string>

namespace core {

enum class TPelkoConnectionState : uint8_t { LoggedOut, LoggingIn, LoggedIn };

enum class TPelkoStatusState : uint8_t {
    Disconnected,
    Connecting,
    Uploading,
    WaitingForUpload,
    Streaming,
    Idle,
    Indexing,
};
constexpr int kStatusCount = 7;

enum class TLastUploadResult : uint8_t {
    NoLastUpload,
    WaitingForUploadVerification,
    LastUploadSuccess,
    LastUploadFailed,
};

struct TPelkoState {
    TPelkoConnectionState connectionState = TPelkoConnectionState::LoggedOut;
    bool uploading = false;
    std::wstring uploadingFile;
    int32_t uploadBytesSent = 0;
    int32_t uploadBytesTotal = 0;
    int32_t uploadingFileSize = 0;
    TLastUploadResult lastUploadResult = TLastUploadResult::NoLastUpload;
    bool streaming = false;
    std::wstring streamingFile;
    int32_t filesLeftToUpload = -1;
    int32_t totalTracksOnline = 0;
    int32_t filesUploadedInSession = 0;
    bool scanningTracks = false;
    bool indexerUpdatingServer = false;
};

// Back to the logged-out values; the two file names are kept.
void ResetState(TPelkoState& state);

// What the window has to do after an event was applied to the record.
enum class EventFollowUp {
    Nothing,
    UpdateStatus,
    UpdateUploadProgress,
    LoginRefused,       // UpdateStatus, login panel, then the refusal message
    InitFailed,         // error box, then exit
    FatalError,         // error box, then exit
    UnexpectedStatus,   // error box naming the full code, then exit
};

struct EngineEvent {
    int32_t code = 0;  // all 32 bits as the engine passed them
    int32_t param1 = 0;
    int32_t param2 = 0;
    int32_t param3 = 0;
    const std::wstring* text = nullptr;  // null when the engine passed no text
};

// Applies one event (dispatched on the low 8 bits of its code) and says what to present.
EventFollowUp ApplyEngineEvent(TPelkoState& state, const EngineEvent& event);

TPelkoStatusState DeriveStatus(const TPelkoState& state);

}  // namespace core
