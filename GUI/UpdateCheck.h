// The periodic software update check: one step per tick of the check timer, and what a finished
// version document announces.
#pragma once

#include "GUI/VersionDocument.h"
#include "core/VersionNumber.h"
#include "ui/Timer.h"

#include <cstdint>
#include <memory>
#include <string>

// The check timer's intervals.
constexpr UINT kFirstVersionCheckDelayMs = 1000;
constexpr UINT kVersionPollIntervalMs = 500;
constexpr UINT kVersionCheckIntervalMs = 2 * 60 * 60 * 1000;

struct TUpdateBalloon {
    const wchar_t* title;
    const wchar_t* text;
    bool warning;  // the warning icon; otherwise the information icon
    int timeoutSeconds;
};
extern const TUpdateBalloon kOptionalUpdateBalloon;
extern const TUpdateBalloon kMandatoryUpdateBalloon;

enum class TUpdateFinding { None, Optional, Mandatory };

// The main window's side of the check: its fields and what it shows.
class TUpdateCheckHost {
public:
    virtual ~TUpdateCheckHost() = default;

    virtual std::unique_ptr<TVersionDocument>& VersionXML() = 0;
    virtual bool& SoftwareUpdateRequired() = 0;
    virtual bool& SoftwareUpdateAvailable() = 0;
    virtual ui::Timer& VersionCheckTimer() = 0;

    virtual core::VersionNumber OwnVersion() const = 0;
    // The address of the version request, built anew for every check.
    virtual std::wstring RequestAddress() const = 0;
    // A fresh document, or null when none can be made.
    virtual std::unique_ptr<TVersionDocument> CreateDocument() = 0;
    // Shows the balloon and makes a click on it open the download page.
    virtual void ShowBalloon(const TUpdateBalloon& balloon) = 0;
    virtual void LogOut() = 0;
    // Shows the waving flag and starts its animation.
    virtual void ShowUpdateFlag() = 0;
};

// "http://" server [":" port unless 80] "/TovelinkSoftwareVersion?softwarename=tovelink&currentversion="
// major "." minor "." revision. The server address is 8-bit text in the system's code page.
std::wstring VersionRequestAddress(const std::string& serverAddress, uint16_t serverPort,
                                   const core::VersionNumber& own);

// What a completed document says; None for anything but a valid answer naming a newer release.
TUpdateFinding EvaluateVersionDocument(const TVersionDocument& document, const core::VersionNumber& own);

// One tick of the check timer: start a request, wait for it, or evaluate and announce. Never throws
// and never shows an error.
void VersionCheckStep(TUpdateCheckHost& host);
