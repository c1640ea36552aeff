#include "GUI/UpdateCheck.h"

#include "GUI/AnsiText.h"

const TUpdateBalloon kOptionalUpdateBalloon = {
    L"Tonalix software update", L"A new version of Tonalix is available. Click here to download it.", false, 30};
const TUpdateBalloon kMandatoryUpdateBalloon = {
    L"Tonalix software needs update",
    L"You must update your Tonalix software to continue using Tonalix. Click here to download an update.", true, 30};

namespace {

bool EqualsIgnoringAsciiCase(const std::wstring& text, const wchar_t* expected) {
    const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    size_t i = 0;
    for (; i < text.size() && expected[i]; ++i) {
        if (lower(text[i]) != lower(expected[i])) return false;
    }
    return i == text.size() && !expected[i];
}

void StartRequest(TUpdateCheckHost& host) {
    const std::wstring address = host.RequestAddress();
    std::unique_ptr<TVersionDocument> document = host.CreateDocument();
    // A request that cannot start is tried again one interval later.
    if (!document || !document->Load(address)) return;
    host.VersionXML() = std::move(document);
    host.VersionCheckTimer().SetInterval(kVersionPollIntervalMs);
}

void Announce(TUpdateCheckHost& host, TUpdateFinding finding) {
    if (finding == TUpdateFinding::None) return;
    if (finding == TUpdateFinding::Mandatory) {
        host.ShowBalloon(kMandatoryUpdateBalloon);
        host.SoftwareUpdateRequired() = true;
        host.LogOut();
        host.VersionCheckTimer().SetEnabled(false);
    } else if (!host.SoftwareUpdateAvailable()) {
        host.ShowBalloon(kOptionalUpdateBalloon);
    }
    host.SoftwareUpdateAvailable() = true;
    host.ShowUpdateFlag();
}

}  // namespace

std::wstring VersionRequestAddress(const std::string& serverAddress, uint16_t serverPort,
                                   const core::VersionNumber& own) {
    std::wstring address = L"http://" + AnsiToWide(serverAddress);
    if (serverPort != 80) address += L":" + std::to_wstring(serverPort);
    address += L"/TovelinkSoftwareVersion?softwarename=tovelink&currentversion=";
    address += std::to_wstring(own.major) + L"." + std::to_wstring(own.minor) + L"." + std::to_wstring(own.revision);
    return address;
}

TUpdateFinding EvaluateVersionDocument(const TVersionDocument& document, const core::VersionNumber& own) {
    if (document.Empty()) return TUpdateFinding::None;
    const std::unique_ptr<TVersionElement> root = document.Root();
    if (!root || root->LocalName() != L"Command") return TUpdateFinding::None;
    const std::optional<std::wstring> status = root->Attribute(L"Status");
    if (!status || *status != L"succeed") return TUpdateFinding::None;
    const std::unique_ptr<TVersionElement> softwareVersion = root->Child(L"SoftwareVersion");
    if (!softwareVersion) return TUpdateFinding::None;
    const std::optional<core::VersionNumber> release =
        core::ParseVersion(softwareVersion->Attribute(L"Version").value_or(std::wstring()));
    if (!release || !core::IsNewer(*release, own)) return TUpdateFinding::None;
    // Read from the root, not from SoftwareVersion.
    const std::optional<std::wstring> force = root->Attribute(L"ForceUpgrade");
    return force && EqualsIgnoringAsciiCase(*force, L"true") ? TUpdateFinding::Mandatory : TUpdateFinding::Optional;
}

void VersionCheckStep(TUpdateCheckHost& host) {
    std::unique_ptr<TVersionDocument>& document = host.VersionXML();
    try {
        if (!document) {
            StartRequest(host);
            return;
        }
        if (document->ReadyState() != TVersionDocument::kComplete) return;
        host.VersionCheckTimer().SetInterval(kVersionCheckIntervalMs);
        const TUpdateFinding finding = EvaluateVersionDocument(*document, host.OwnVersion());
        document.reset();
        Announce(host, finding);
    } catch (...) {
        // Nothing of the check is ever shown; the interval stays as it was.
        document.reset();
    }
}
