#include "core/UploadProgress.h"

#include <gtest/gtest.h>

using namespace core;

namespace {

TPelkoState Counts(int32_t uploaded, int32_t left) {
    TPelkoState state;
    state.connectionState = TPelkoConnectionState::LoggedIn;
    state.filesUploadedInSession = uploaded;
    state.filesLeftToUpload = left;
    return state;
}

}  // namespace

TEST(UploadProgress, CaptionAndPercentage) {
    struct Case {
        const char* name;
        TPelkoState state;
        std::wstring text;
        int progress;
    };
    TPelkoState inFlight = Counts(2, 8);
    inFlight.uploading = true;
    inFlight.uploadingFileSize = 1000;
    inFlight.uploadBytesTotal = 1200;
    inFlight.uploadBytesSent = 700;
    TPelkoState early = Counts(0, 1);
    early.uploading = true;
    early.uploadingFileSize = 100;
    early.uploadBytesTotal = 150;
    early.uploadBytesSent = 10;
    TPelkoState overshoot = Counts(0, 1);
    overshoot.uploading = true;
    overshoot.uploadingFileSize = 100;
    overshoot.uploadBytesTotal = 100;
    overshoot.uploadBytesSent = 400;
    TPelkoState huge = Counts(0, 1);
    huge.uploading = true;
    huge.uploadingFileSize = INT32_MAX;
    huge.uploadBytesTotal = INT32_MIN;
    huge.uploadBytesSent = INT32_MAX;
    const Case cases[] = {
        {"not uploading", Counts(2, 8), L"Storing track 2.00 of 10", 20},
        {"half a file", inFlight, L"Storing track 2.50 of 10", 25},
        {"fraction below zero held at 0", early, L"Storing track 0.00 of 1", 0},
        {"fraction above one held at 1", overshoot, L"Storing track 1.00 of 1", 100},
        {"no overflow in the byte arithmetic", huge, L"Storing track 1.00 of 1", 100},
        {"12.5 rounds to even", Counts(1, 7), L"Storing track 1.00 of 8", 12},
        {"13.5 rounds to even", Counts(27, 173), L"Storing track 27.00 of 200", 14},
        {"nothing left", Counts(3, 0), L"", 0},
        {"no count yet", Counts(0, -1), L"", 0},
    };
    for (const Case& c : cases) {
        const UploadProgress result = ComputeUploadProgress(c.state, L'.');
        EXPECT_EQ(result.text, c.text) << c.name;
        EXPECT_EQ(result.progress, c.progress) << c.name;
    }
}

TEST(UploadProgress, UsesTheRegionalDecimalSeparator) {
    EXPECT_EQ(ComputeUploadProgress(Counts(2, 8), L',').text, L"Storing track 2,00 of 10");
}

TEST(UploadProgress, TotalIsWrittenUnsigned) {
    EXPECT_EQ(ComputeUploadProgress(Counts(-2, 1), L'.').text, L"Storing track -2.00 of 4294967295");
}

TEST(RoundHalfEven, Table) {
    const std::pair<double, int> cases[] = {{12.5, 12}, {13.5, 14}, {-0.5, 0}, {-1.5, -2}, {0.49, 0},
                                            {0.51, 1},  {99.5, 100}, {1e300, INT32_MAX}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(RoundHalfEven(value), expected) << value;
}
