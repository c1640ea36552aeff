// Fuzz entry for the engine-event record, the status derived from it, the upload gauge's caption
// and percentage, and the fitting of the streamed file's name. Events are applied in order, as the
// window thread does; after each one the record, the status and the gauge must still make sense.
//
// Input, little-endian: the decimal separator (2 bytes, UTF-16), the uploads already counted in
// the session (4 bytes, signed: stands for a session long enough to reach any counter value, the
// wrapped ones included), the width the streamed name is fitted into (2 bytes, signed); then per
// event: code, param1, param2, param3 (4 bytes each, signed), the text's length in UTF-16 units
// (1 byte, 255 for no text at all) and the text.
#include "core/FitText.h"
#include "core/PelkoState.h"
#include "core/UploadProgress.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>

using namespace core;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Has(size_t count) const { return size_ - pos_ >= count; }
    uint8_t U8() { return data_[pos_++]; }
    uint16_t U16() { return static_cast<uint16_t>(U8() | (U8() << 8)); }
    uint32_t U32() { return U16() | (static_cast<uint32_t>(U16()) << 16); }
    int32_t I32() { return static_cast<int32_t>(U32()); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

struct FuzzEvent {
    EngineEvent event;
    std::optional<std::wstring> text;
};

// A whole event or nothing: an input that ends inside one stops there.
bool ReadEvent(Reader& in, FuzzEvent& out) {
    if (!in.Has(17)) return false;
    out.event.code = in.I32();
    out.event.param1 = in.I32();
    out.event.param2 = in.I32();
    out.event.param3 = in.I32();
    const uint8_t length = in.U8();
    out.text.reset();
    if (length != 0xFF) {
        out.text.emplace();
        for (uint8_t i = 0; i < length && in.Has(2); ++i) out.text->push_back(static_cast<wchar_t>(in.U16()));
    }
    out.event.text = out.text ? &*out.text : nullptr;
    return true;
}

auto Fields(const TPelkoState& s) {
    return std::tie(s.connectionState, s.uploading, s.uploadingFile, s.uploadBytesSent, s.uploadBytesTotal,
                    s.uploadingFileSize, s.lastUploadResult, s.streaming, s.streamingFile, s.filesLeftToUpload,
                    s.totalTracksOnline, s.filesUploadedInSession, s.scanningTracks, s.indexerUpdatingServer);
}

bool Same(const TPelkoState& a, const TPelkoState& b) { return Fields(a) == Fields(b); }

bool AllDigits(const std::wstring& text) {
    if (text.empty()) return false;
    for (wchar_t ch : text)
        if (ch < L'0' || ch > L'9') return false;
    return true;
}

// The flags win over the login state, and each status says something true about the record.
void CheckStatus(const TPelkoState& state) {
    const TPelkoStatusState status = DeriveStatus(state);
    Check(static_cast<int>(status) < kStatusCount);
    Check((status == TPelkoStatusState::Streaming) == state.streaming);
    const bool indexing = state.scanningTracks || state.indexerUpdatingServer;
    switch (status) {
    case TPelkoStatusState::Streaming:
        break;
    case TPelkoStatusState::Indexing:
        Check(indexing);
        break;
    case TPelkoStatusState::Uploading:
        Check(state.uploading && !indexing);
        break;
    case TPelkoStatusState::Connecting:
        Check(state.connectionState == TPelkoConnectionState::LoggingIn && !state.uploading && !indexing);
        break;
    case TPelkoStatusState::WaitingForUpload:
    case TPelkoStatusState::Idle:
        Check(state.connectionState == TPelkoConnectionState::LoggedIn && !state.uploading && !indexing);
        Check((status == TPelkoStatusState::Idle) == (state.filesLeftToUpload == 0));
        break;
    case TPelkoStatusState::Disconnected:
        Check(state.connectionState == TPelkoConnectionState::LoggedOut && !state.uploading && !indexing);
        break;
    }
}

// "Storing track <done> of <total>": done with exactly two decimals after the separator, total an
// unsigned decimal; the percentage agrees with the numbers the caption shows.
void CheckProgress(const TPelkoState& state, wchar_t separator) {
    const UploadProgress result = ComputeUploadProgress(state, separator);
    const int64_t left = state.filesLeftToUpload;
    const int64_t uploaded = state.filesUploadedInSession;
    if (left <= 0) {
        Check(result.text.empty() && result.progress == 0);
        return;
    }
    const std::wstring prefix = L"Storing track ";
    const std::wstring& text = result.text;
    Check(text.compare(0, prefix.size(), prefix) == 0);
    const size_t of = text.rfind(L" of ");
    Check(of != std::wstring::npos && of >= prefix.size() + 4);

    const std::wstring totalText = text.substr(of + 4);
    Check(AllDigits(totalText) && totalText.size() <= 10);
    const int64_t total = left + uploaded;
    Check(std::wcstoull(totalText.c_str(), nullptr, 10) == static_cast<uint32_t>(static_cast<uint64_t>(total)));

    const std::wstring done = text.substr(prefix.size(), of - prefix.size());
    const size_t point = done.size() - 3;
    Check(done[point] == separator && AllDigits(done.substr(point + 1)));
    const bool negative = done[0] == L'-';
    const std::wstring whole = done.substr(negative ? 1 : 0, point - (negative ? 1 : 0));
    Check(AllDigits(whole) && whole.size() <= 11);
    const int64_t magnitude = std::wcstoll(whole.c_str(), nullptr, 10) * 100 +
                              std::wcstoll(done.substr(point + 1).c_str(), nullptr, 10);
    const int64_t hundredths = negative ? -magnitude : magnitude;

    if (total == 0) {
        Check(result.progress == 0);
        return;
    }
    // The caption's number is off by at most half a hundredth, the single-precision percentage
    // by a few parts in ten million.
    const double shown = static_cast<double>(hundredths) / static_cast<double>(total);
    const double limit = 0.5 + 0.5 / std::fabs(static_cast<double>(total)) + std::fabs(shown) * 1e-6;
    const double expected = std::fmin(std::fmax(shown, double(INT_MIN)), double(INT_MAX));
    Check(std::fabs(result.progress - expected) <= limit);

    if (uploaded >= 0) {
        // A session that has not wrapped its counter: the current file counts from 0 to 1, the
        // percentage stays on the gauge.
        Check(hundredths >= uploaded * 100 && hundredths <= (uploaded + 1) * 100);
        if (!state.uploading || state.uploadingFileSize <= 0) Check(hundredths == uploaded * 100);
        Check(result.progress >= 0 && result.progress <= 100);
    }
}

// A made-up proportional font: every character 1 to 9 pixels wide.
int MeasureName(const std::wstring& text) {
    int width = 0;
    for (wchar_t ch : text) width += 1 + static_cast<int>(static_cast<uint32_t>(ch) % 9);
    return width;
}

void CheckFittedName(const std::wstring& name, int width) {
    const std::wstring fitted = FitTextToWidth(name, width, MeasureName);
    if (MeasureName(name) < width) {
        Check(fitted == name);
        return;
    }
    if (fitted.empty()) {
        Check(name.empty() || MeasureName(name.substr(0, 1) + L"...") >= width);
        return;
    }
    Check(fitted.size() >= 4 && fitted.compare(fitted.size() - 3, 3, L"...") == 0);
    const size_t kept = fitted.size() - 3;
    Check(kept <= name.size() && name.compare(0, kept, fitted, 0, kept) == 0);
    for (size_t j = 1; j <= kept; ++j) Check(MeasureName(name.substr(0, j) + L"...") < width);
    if (kept < name.size()) Check(MeasureName(name.substr(0, kept + 1) + L"...") >= width);
}

// Nearest integer, ties to even, saturated; NaN gives 0.
void CheckRounding(int32_t high, int32_t low) {
    const uint64_t bits = (static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) | static_cast<uint32_t>(low);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    const int rounded = RoundHalfEven(value);
    if (std::isnan(value)) {
        Check(rounded == 0);
    } else if (value >= double(INT_MAX)) {
        Check(rounded == INT_MAX);
    } else if (value <= double(INT_MIN)) {
        Check(rounded == INT_MIN);
    } else {
        const double distance = std::fabs(rounded - value);
        Check(distance <= 0.5);
        if (distance == 0.5) Check(rounded % 2 == 0);
    }
}

// What each event must have done to the record, beyond the status and gauge checks.
void CheckEffect(const TPelkoState& before, const TPelkoState& after, const FuzzEvent& in, EventFollowUp followUp) {
    const EngineEvent& event = in.event;
    const std::wstring text = in.text.value_or(std::wstring());
    switch (static_cast<uint32_t>(event.code) & 0xFFu) {
    case 0:
    case 2:
    case 3:
    case 4:
    case 9:
        Check(followUp == EventFollowUp::Nothing && Same(before, after));
        break;
    case 1:
        Check(followUp == EventFollowUp::InitFailed && Same(before, after));
        break;
    case 17:
        Check(followUp == EventFollowUp::FatalError && Same(before, after));
        break;
    case 6:
    case 8: {
        Check(followUp == ((event.code & 0xFF) == 6 ? EventFollowUp::LoginRefused : EventFollowUp::UpdateStatus));
        TPelkoState reset;  // the logged-out values, with both file names kept
        reset.uploadingFile = before.uploadingFile;
        reset.streamingFile = before.streamingFile;
        Check(Same(reset, after) && DeriveStatus(after) == TPelkoStatusState::Disconnected);
        break;
    }
    case 10:
        Check(after.streaming && after.streamingFile == text);
        break;
    case 12:
        Check(after.uploading && after.uploadingFile == text);
        Check(after.uploadBytesSent == 0 && after.uploadBytesTotal == 0 && after.uploadingFileSize == 0);
        break;
    case 14:
        Check(!after.uploading);
        if (event.param1 != 0) {
            Check(after.lastUploadResult == TLastUploadResult::LastUploadSuccess);
            Check(after.filesUploadedInSession ==
                  static_cast<int32_t>(static_cast<uint32_t>(before.filesUploadedInSession) + 1u));
            Check(after.filesLeftToUpload == (before.filesLeftToUpload > 0 ? before.filesLeftToUpload - 1
                                                                           : before.filesLeftToUpload));
        } else {
            Check(after.lastUploadResult == TLastUploadResult::LastUploadFailed);
            Check(after.filesUploadedInSession == before.filesUploadedInSession &&
                  after.filesLeftToUpload == before.filesLeftToUpload);
        }
        break;
    case 15:
        Check(after.filesLeftToUpload == event.param1 && after.totalTracksOnline == event.param2);
        Check(after.filesUploadedInSession == (event.param1 == 0 ? 0 : before.filesUploadedInSession));
        break;
    case 16:
        Check(after.uploadBytesTotal == event.param1 && after.uploadBytesSent == event.param2 &&
              after.uploadingFileSize == event.param3);
        Check(followUp == EventFollowUp::UpdateUploadProgress);
        break;
    default:
        if ((static_cast<uint32_t>(event.code) & 0xFFu) >= 20)
            Check(followUp == EventFollowUp::UnexpectedStatus && Same(before, after));
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    if (!in.Has(8)) return 0;
    const wchar_t separator = static_cast<wchar_t>(in.U16());
    TPelkoState state;
    state.filesUploadedInSession = in.I32();
    const int nameWidth = static_cast<int16_t>(in.U16());

    FuzzEvent event;
    while (ReadEvent(in, event)) {
        const TPelkoState before = state;
        const EventFollowUp followUp = ApplyEngineEvent(state, event.event);
        CheckEffect(before, state, event, followUp);
        CheckStatus(state);
        CheckProgress(state, separator);
        if (followUp == EventFollowUp::UpdateStatus && DeriveStatus(state) == TPelkoStatusState::Streaming)
            CheckFittedName(state.streamingFile, nameWidth);
        CheckRounding(event.event.param1, event.event.param2);
    }
    return 0;
}
