#include "core/PelkoState.h"

namespace core {

void ResetState(TPelkoState& state) {
    state.connectionState = TPelkoConnectionState::LoggedOut;
    state.uploading = false;
    state.streaming = false;
    state.scanningTracks = false;
    state.indexerUpdatingServer = false;
    state.filesLeftToUpload = -1;
    state.totalTracksOnline = 0;
    state.filesUploadedInSession = 0;
    state.uploadBytesSent = 0;
    state.uploadBytesTotal = 0;
    state.uploadingFileSize = 0;
    state.lastUploadResult = TLastUploadResult::NoLastUpload;
}

EventFollowUp ApplyEngineEvent(TPelkoState& state, const EngineEvent& event) {
    const std::wstring text = event.text ? *event.text : std::wstring();
    switch (static_cast<uint32_t>(event.code) & 0xFFu) {
    case 0:
    case 2:
    case 3:
    case 4:
    case 9:
        return EventFollowUp::Nothing;
    case 1:
        return EventFollowUp::InitFailed;
    case 5:
        state.connectionState = TPelkoConnectionState::LoggingIn;
        return EventFollowUp::UpdateStatus;
    case 6:
        ResetState(state);
        return EventFollowUp::LoginRefused;
    case 7:
        state.connectionState = TPelkoConnectionState::LoggedIn;
        return EventFollowUp::UpdateStatus;
    case 8:
        ResetState(state);
        return EventFollowUp::UpdateStatus;
    case 10:
        state.streaming = true;
        state.streamingFile = text;
        return EventFollowUp::UpdateStatus;
    case 11:
        state.streaming = false;
        return EventFollowUp::UpdateStatus;
    case 12:
        state.uploading = true;
        state.uploadingFile = text;
        state.uploadBytesSent = 0;
        state.uploadBytesTotal = 0;
        state.uploadingFileSize = 0;
        return EventFollowUp::UpdateStatus;
    case 13:
        state.lastUploadResult = TLastUploadResult::WaitingForUploadVerification;
        return EventFollowUp::UpdateUploadProgress;
    case 14:
        state.uploading = false;
        if (event.param1 != 0) {
            state.lastUploadResult = TLastUploadResult::LastUploadSuccess;
            // Wraps like the engine's own 32-bit counter would rather than overflowing.
            state.filesUploadedInSession = static_cast<int32_t>(static_cast<uint32_t>(state.filesUploadedInSession) + 1u);
            if (state.filesLeftToUpload > 0) --state.filesLeftToUpload;
        } else {
            state.lastUploadResult = TLastUploadResult::LastUploadFailed;
        }
        return EventFollowUp::UpdateStatus;
    case 15:
        state.filesLeftToUpload = event.param1;
        state.totalTracksOnline = event.param2;
        if (event.param1 == 0) state.filesUploadedInSession = 0;
        return EventFollowUp::UpdateStatus;
    case 16:
        state.uploadBytesTotal = event.param1;
        state.uploadBytesSent = event.param2;
        state.uploadingFileSize = event.param3;
        return EventFollowUp::UpdateUploadProgress;
    case 17:
        return EventFollowUp::FatalError;
    case 18:
        state.scanningTracks = event.param1 != 0;
        return EventFollowUp::UpdateStatus;
    case 19:
        state.indexerUpdatingServer = event.param1 != 0;
        return EventFollowUp::UpdateStatus;
    default:
        return EventFollowUp::UnexpectedStatus;
    }
}

TPelkoStatusState DeriveStatus(const TPelkoState& state) {
    if (state.streaming) return TPelkoStatusState::Streaming;
    if (state.scanningTracks || state.indexerUpdatingServer) return TPelkoStatusState::Indexing;
    if (state.uploading) return TPelkoStatusState::Uploading;
    switch (state.connectionState) {
    case TPelkoConnectionState::LoggingIn:
        return TPelkoStatusState::Connecting;
    case TPelkoConnectionState::LoggedIn:
        return state.filesLeftToUpload != 0 ? TPelkoStatusState::WaitingForUpload : TPelkoStatusState::Idle;
    default:
        return TPelkoStatusState::Disconnected;
    }
}

}  // namespace core
