// The main window's side of the update check, recorded, for tests that drive the check by hand.
#pragma once

#include "GUI/UpdateCheck.h"
#include "GUI/VersionDocument.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tests {

// Asks 127.0.0.1 at `port`; makes real documents unless `makeDocument` is set.
class RecordingHost : public TUpdateCheckHost {
public:
    explicit RecordingHost(uint16_t port) : port_(port) {
        timer.SetInterval(kFirstVersionCheckDelayMs);
        timer.SetEnabled(true);
    }

    std::unique_ptr<TVersionDocument>& VersionXML() override { return document; }
    bool& SoftwareUpdateRequired() override { return required; }
    bool& SoftwareUpdateAvailable() override { return available; }
    ui::Timer& VersionCheckTimer() override { return timer; }
    core::VersionNumber OwnVersion() const override { return {1, 0, 5233}; }
    std::wstring RequestAddress() const override { return VersionRequestAddress("127.0.0.1", port_, OwnVersion()); }
    std::unique_ptr<TVersionDocument> CreateDocument() override {
        ++documentsCreated;
        return makeDocument ? makeDocument() : CreateVersionDocument();
    }
    void ShowBalloon(const TUpdateBalloon& balloon) override { balloons.push_back(balloon); }
    void LogOut() override { ++logouts; }
    void ShowUpdateFlag() override { flagShown = true; }

    std::unique_ptr<TVersionDocument> document;
    bool required = false;
    bool available = false;
    ui::Timer timer{nullptr, 1};
    std::function<std::unique_ptr<TVersionDocument>()> makeDocument;
    int documentsCreated = 0;
    std::vector<TUpdateBalloon> balloons;
    int logouts = 0;
    bool flagShown = false;

private:
    uint16_t port_;
};

}  // namespace tests
