// The update check's steps, driven by hand against version documents from a local server.
#include "GUI/UpdateCheck.h"
#include "LocalHttpServer.h"
#include "RecordingUpdateHost.h"

#include <gtest/gtest.h>

using namespace tests;

namespace {

std::string Answer(const std::string& rootAttributes, const std::string& children) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Command " + rootAttributes + ">" + children + "</Command>";
}
std::string Offer(const std::string& version, const std::string& extraRootAttributes = "") {
    return Answer("Status=\"succeed\" " + extraRootAttributes, "<SoftwareVersion Version=\"" + version + "\"/>");
}

// A document that never finishes, or whose load state cannot be read.
class StuckDocument : public TVersionDocument {
public:
    explicit StuckDocument(bool throwOnPoll = false) : throwOnPoll_(throwOnPoll) {}
    bool Load(const std::wstring&) override { return true; }
    int ReadyState() override {
        if (throwOnPoll_) throw std::runtime_error("load state unavailable");
        return kLoading;
    }
    bool Empty() const override { return true; }
    std::unique_ptr<TVersionElement> Root() const override { return nullptr; }

private:
    bool throwOnPoll_;
};

class NotStartingDocument : public StuckDocument {
public:
    bool Load(const std::wstring&) override { return false; }
};

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(server.Port(), 0); }

    // One whole check: the tick that starts the request, then ticks until the document is gone.
    void RunCheck(RecordingHost& host) {
        VersionCheckStep(host);
        ASSERT_TRUE(host.document) << "the request did not start";
        EXPECT_EQ(host.timer.Interval(), kVersionPollIntervalMs);
        const DWORD start = GetTickCount();
        while (host.document && GetTickCount() - start < 15000) {
            Sleep(10);
            VersionCheckStep(host);
        }
        ASSERT_FALSE(host.document) << "the check never completed";
    }

    LocalHttpServer server;
};

TEST(UpdateCheckAddress, PortEightyIsLeftOut) {
    EXPECT_EQ(VersionRequestAddress("updates.tonalix.com", 80, {1, 0, 5233}),
              L"http://updates.tonalix.com/TovelinkSoftwareVersion?softwarename=tovelink&currentversion=1.0.5233");
    EXPECT_EQ(VersionRequestAddress("10.0.0.7", 8080, {1, 0, 5233}),
              L"http://10.0.0.7:8080/TovelinkSoftwareVersion?softwarename=tovelink&currentversion=1.0.5233");
    EXPECT_EQ(VersionRequestAddress("h", 443, {1, 0, 136305}),
              L"http://h:443/TovelinkSoftwareVersion?softwarename=tovelink&currentversion=1.0.136305");
}

TEST_F(UpdateCheckTest, WhatAnAnswerAnnounces) {
    enum Outcome { Nothing, Optional, Mandatory };
    struct Case {
        const char* name;
        std::string body;
        Outcome outcome;
    };
    const Case cases[] = {
        {"same version", Offer("1.0.5233"), Nothing},
        {"fourth piece ignored", Offer("1.0.5233.9"), Nothing},
        {"older", Offer("0.9.9999"), Nothing},
        {"next revision", Offer("1.0.5234"), Optional},
        {"next minor", Offer("1.1"), Optional},
        {"next major", Offer("2"), Optional},
        {"blanks and tabs before pieces", Offer(" 1.\t0. 5234"), Optional},
        {"non-numeric piece", Offer("1.0.52x4"), Nothing},
        {"no Version attribute", Answer("Status=\"succeed\"", "<SoftwareVersion/>"), Nothing},
        {"ForceUpgrade TRUE", Offer("1.0.5234", "ForceUpgrade=\"TRUE\""), Mandatory},
        {"ForceUpgrade true", Offer("1.0.5234", "ForceUpgrade=\"true\""), Mandatory},
        {"ForceUpgrade yes", Offer("1.0.5234", "ForceUpgrade=\"yes\""), Optional},
        {"ForceUpgrade 1", Offer("1.0.5234", "ForceUpgrade=\"1\""), Optional},
        {"ForceUpgrade on a release that is not newer", Offer("1.0.5233", "ForceUpgrade=\"true\""), Nothing},
        {"ForceUpgrade on SoftwareVersion",
         Answer("Status=\"succeed\"", "<SoftwareVersion Version=\"2\" ForceUpgrade=\"true\"/>"), Optional},
        {"Status Succeed", Answer("Status=\"Succeed\"", "<SoftwareVersion Version=\"2\"/>"), Nothing},
        {"no Status", Answer("", "<SoftwareVersion Version=\"2\"/>"), Nothing},
        {"prefixed root",
         "<x:Command xmlns:x=\"urn:x\" Status=\"succeed\"><SoftwareVersion Version=\"2\"/></x:Command>", Optional},
        {"other root", "<Answer Status=\"succeed\"><SoftwareVersion Version=\"2\"/></Answer>", Nothing},
        {"no SoftwareVersion", Answer("Status=\"succeed\"", "<Software Version=\"2\"/>"), Nothing},
        {"SoftwareVersion deeper down",
         Answer("Status=\"succeed\"", "<Wrap><SoftwareVersion Version=\"2\"/></Wrap>"), Nothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.Respond(200, c.body);
        RecordingHost host(server.Port());
        RunCheck(host);
        EXPECT_EQ(host.timer.Interval(), kVersionCheckIntervalMs);
        EXPECT_EQ(host.timer.Enabled(), c.outcome != Mandatory);
        EXPECT_EQ(host.available, c.outcome != Nothing);
        EXPECT_EQ(host.required, c.outcome == Mandatory);
        EXPECT_EQ(host.flagShown, c.outcome != Nothing);
        EXPECT_EQ(host.logouts, c.outcome == Mandatory ? 1 : 0);
        ASSERT_EQ(host.balloons.size(), c.outcome == Nothing ? 0u : 1u);
        if (c.outcome == Optional) {
            EXPECT_STREQ(host.balloons[0].title, L"Tonalix software update");
            EXPECT_STREQ(host.balloons[0].text, L"A new version of Tonalix is available. Click here to download it.");
            EXPECT_FALSE(host.balloons[0].warning);
            EXPECT_EQ(host.balloons[0].timeoutSeconds, 30);
        } else if (c.outcome == Mandatory) {
            EXPECT_STREQ(host.balloons[0].title, L"Tonalix software needs update");
            EXPECT_STREQ(host.balloons[0].text, L"You must update your Tonalix software to continue using Tonalix. "
                                                L"Click here to download an update.");
            EXPECT_TRUE(host.balloons[0].warning);
            EXPECT_EQ(host.balloons[0].timeoutSeconds, 30);
        }
    }
}

TEST_F(UpdateCheckTest, FailedLoadsShowNothingAndWaitTwoHours) {
    HttpAnswer closed;
    closed.kind = HttpAnswer::Kind::CloseSilently;
    HttpAnswer error;
    error.status = 500;
    error.body = Offer("2");
    HttpAnswer garbage;
    garbage.body = "<<garbage";
    for (const HttpAnswer& answer : {error, garbage, closed}) {
        server.SetAnswer(answer);
        RecordingHost host(server.Port());
        RunCheck(host);
        EXPECT_TRUE(host.balloons.empty());
        EXPECT_FALSE(host.available);
        EXPECT_FALSE(host.flagShown);
        EXPECT_TRUE(host.timer.Enabled());
        EXPECT_EQ(host.timer.Interval(), kVersionCheckIntervalMs);
    }
    RecordingHost refused(LocalHttpServer::UnusedPort());
    RunCheck(refused);
    EXPECT_TRUE(refused.balloons.empty());
    EXPECT_EQ(refused.timer.Interval(), kVersionCheckIntervalMs);
}

TEST_F(UpdateCheckTest, ALateAnswerIsAwaitedWithoutANewRequest) {
    HttpAnswer late;
    late.body = Offer("1.0.5234");
    late.delayMs = 1500;
    server.SetAnswer(late);
    RecordingHost host(server.Port());
    VersionCheckStep(host);
    for (int i = 0; i < 10; ++i) {
        Sleep(50);
        VersionCheckStep(host);
        ASSERT_TRUE(host.document) << "tick " << i;
        EXPECT_EQ(host.timer.Interval(), kVersionPollIntervalMs);
    }
    RunCheck(host);  // RunCheck's first tick only polls: a document is still there
    EXPECT_EQ(host.documentsCreated, 1);
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(host.balloons.size(), 1u);
}

TEST_F(UpdateCheckTest, ALoadThatNeverCompletesKeepsPolling) {
    RecordingHost host(server.Port());
    host.makeDocument = [] { return std::make_unique<StuckDocument>(); };
    for (int i = 0; i < 20; ++i) VersionCheckStep(host);
    EXPECT_EQ(host.documentsCreated, 1);
    EXPECT_TRUE(host.document);
    EXPECT_EQ(host.timer.Interval(), kVersionPollIntervalMs);
    EXPECT_TRUE(host.timer.Enabled());
}

TEST_F(UpdateCheckTest, ARequestThatCannotStartIsTriedAgainAfterTheSameInterval) {
    RecordingHost host(server.Port());
    host.makeDocument = [] { return std::make_unique<NotStartingDocument>(); };
    VersionCheckStep(host);
    EXPECT_FALSE(host.document);
    EXPECT_EQ(host.timer.Interval(), kFirstVersionCheckDelayMs);
    host.makeDocument = [] { return nullptr; };  // no document service at all
    VersionCheckStep(host);
    EXPECT_FALSE(host.document);
    EXPECT_EQ(host.timer.Interval(), kFirstVersionCheckDelayMs);
    EXPECT_EQ(host.documentsCreated, 2);
    EXPECT_TRUE(host.timer.Enabled());

    host.timer.SetInterval(kVersionCheckIntervalMs);  // a later check keeps its two hours
    VersionCheckStep(host);
    EXPECT_EQ(host.timer.Interval(), kVersionCheckIntervalMs);
}

TEST_F(UpdateCheckTest, AnErrorWhilePollingReleasesTheDocumentAndKeepsTheInterval) {
    RecordingHost host(server.Port());
    host.makeDocument = [] { return std::make_unique<StuckDocument>(true); };
    VersionCheckStep(host);
    ASSERT_TRUE(host.document);
    VersionCheckStep(host);
    EXPECT_FALSE(host.document);
    EXPECT_EQ(host.timer.Interval(), kVersionPollIntervalMs);
    EXPECT_TRUE(host.balloons.empty());
}

TEST_F(UpdateCheckTest, TwoChecksFindingTheSameUpdateShowOneBalloon) {
    server.Respond(200, Offer("1.0.5234"));
    RecordingHost host(server.Port());
    RunCheck(host);
    host.flagShown = false;
    RunCheck(host);
    EXPECT_EQ(host.balloons.size(), 1u);
    EXPECT_TRUE(host.flagShown) << "the flag is shown again and keeps waving";
    EXPECT_TRUE(host.available);
    EXPECT_TRUE(host.timer.Enabled());

    server.Respond(200, Offer("1.0.5233"));  // a later answer does not withdraw the announcement
    RunCheck(host);
    EXPECT_TRUE(host.available);
}

TEST_F(UpdateCheckTest, OptionalThenMandatoryLogsOutAndStopsChecking) {
    server.Respond(200, Offer("1.0.5234"));
    RecordingHost host(server.Port());
    RunCheck(host);
    server.Respond(200, Offer("1.0.5235", "ForceUpgrade=\"True\""));
    RunCheck(host);
    ASSERT_EQ(host.balloons.size(), 2u);
    EXPECT_FALSE(host.balloons[0].warning);
    EXPECT_TRUE(host.balloons[1].warning);
    EXPECT_TRUE(host.required);
    EXPECT_EQ(host.logouts, 1);
    EXPECT_FALSE(host.timer.Enabled());
}

}  // namespace
