// The stand-in engine's working mode in this process, against the local demo service: log-in,
// scanning, uploads at the set rate, new files, streaming, the iTunes source, log-out and
// shut-down (engine/README.md).
#include "DemoMusic.h"
#include "DemoService.h"
#include "LocalHttpServer.h"

#include <Tovelink.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <mutex>

using namespace tests;

namespace {

std::atomic<bool> gShutdownReturned{false};
std::atomic<int> gAfterShutdown{0};

int32_t TOVELINK_CALL Ignore(int32_t, int32_t, int32_t, int32_t, const wchar_t*) {
    if (gShutdownReturned) ++gAfterShutdown;
    return 0;
}

std::string Narrow(const std::wstring& text) {
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), length, nullptr, nullptr);
    return out;
}

class WorkingEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto found = DemoService::Find("plain");
        if (!found) GTEST_SKIP() << kNoDemoService;
        service = *found;
        email = UniqueEmail("engine");
        ASSERT_TRUE(service->Register(email, password));
        SetEnvironmentVariableW(L"TOVELINK_MODE", L"working");
        SetEnvironmentVariableW(L"TOVELINK_CONFIG", folder.Path(L"config.ini").c_str());
        SetEnvironmentVariableW(L"TOVELINK_EVENTLOG", eventLog().c_str());
        gShutdownReturned = false;
        gAfterShutdown = 0;
    }

    void TearDown() override {
        DLLAPI_shutdownPelko();
        for (const wchar_t* name : {L"TOVELINK_MODE", L"TOVELINK_CONFIG", L"TOVELINK_EVENTLOG",
                                    L"TOVELINK_ITUNES_LIBRARY"})
            SetEnvironmentVariableW(name, nullptr);
    }

    std::wstring eventLog() const { return folder.Path(L"events.log"); }
    std::vector<LoggedEvent> Events() const { return ReadEventLog(eventLog()); }

    // Starts the engine as the client does, with the music folder `music` (if any).
    void Start(uint16_t port, const std::string& pass, int32_t limit = -1, const std::wstring& music = L"") {
        DLLAPI_initPelko(Ignore);
        DLLAPI_disableItunes();
        if (!music.empty()) DLLAPI_addRoot(music.c_str());
        DLLServer server{};
        std::strcpy(server.serverAddress, "127.0.0.1");
        server.serverPort = port;
        server.serverHttpsPort = 443;
        DLLAPI_setServer(&server);
        DLLUserpass userpass{};
        std::strcpy(userpass.loginName, email.c_str());
        std::strcpy(userpass.loginPassword, pass.c_str());
        DLLAPI_setUserpass(&userpass);
        DLLAPI_setMaxUpload(limit);
        DLLAPI_startPelko();
        DLLAPI_loginPelko();
    }

    template <typename Done>
    std::vector<LoggedEvent> WaitFor(Done done, DWORD timeoutMs = 20000) const {
        return WaitForEvents(eventLog(), done, timeoutMs);
    }

    std::optional<DemoService> service;
    std::string email;
    const std::string password = "pass-word";
    DemoFolder folder;
};

TEST_F(WorkingEngineTest, LogInOutcomes) {
    LocalHttpServer garbled;
    garbled.Respond(200, "welcome\n");
    struct Case {
        const char* name;
        uint16_t port;
        std::string password;
        int32_t outcome;      // 7 logged in, 6 refused
        const char* text;     // part of the refusal's text; nullptr: no text at all
    } cases[] = {
        {"right password", service->Port(), password, 7, nullptr},
        {"wrong password", service->Port(), "wrong", 6, nullptr},
        {"nothing listens", LocalHttpServer::UnusedPort(), password, 6, "cannot be reached"},
        {"not the service", garbled.Port(), password, 6, "does not understand"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW(eventLog().c_str());
        Start(c.port, c.password);
        auto events = WaitFor([](const auto& e) { return Has(e, 6) || Has(e, 7); });
        DLLAPI_shutdownPelko();
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events[0].code, 5);
        EXPECT_EQ(events[1].code, c.outcome);
        EXPECT_EQ(events[1].hasText, c.text != nullptr);
        if (c.text) {
            EXPECT_NE(events[1].text.find(c.text), std::string::npos) << events[1].text;
        }
    }
}

TEST_F(WorkingEngineTest, UploadsWhatTheStoreLacksAtTheSetRate) {
    const std::wstring music = folder.Path(L"Music");
    WriteWav(music + L"\\One.wav", 24 * 1024, 1);
    WriteWav(music + L"\\Sub\\Two.wav", 24 * 1024, 2);
    WriteWav(music + L"\\Sub\\Same as one.mp3", 24 * 1024, 1);  // the same content is stored once
    WriteWav(music + L"\\notes.txt", 1000, 3);                    // not music
    const int32_t limitKiB = 16;
    Start(service->Port(), password, limitKiB, music);
    auto events = WaitFor([](const auto& e) { return AllStored(e, 2); });
    ASSERT_TRUE(AllStored(events, 2)) << ::testing::PrintToString(Codes(events));

    // Logged in, scanned, told the server, then two uploads with their progress.
    std::vector<int32_t> expectedStart = {5, 7, 18, 18, 19, 19, 15};
    std::vector<int32_t> codes = Codes(events);
    ASSERT_GE(codes.size(), expectedStart.size());
    EXPECT_EQ(std::vector<int32_t>(codes.begin(), codes.begin() + 7), expectedStart);
    EXPECT_EQ(events[2].p1, 1);
    EXPECT_EQ(events[3].p1, 0);
    EXPECT_EQ(events[6].p1, 2) << "two files left";
    EXPECT_EQ(events[6].p2, 0) << "none online yet";

    int uploads = 0;
    int32_t lastSent = -1;
    for (size_t i = 7; i < events.size(); ++i) {
        const LoggedEvent& e = events[i];
        if (e.code == 12) {
            ++uploads;
            lastSent = -1;
            EXPECT_TRUE(e.text == "One.wav" || e.text == "Two.wav" || e.text == "Same as one.mp3") << e.text;
        } else if (e.code == 16) {
            EXPECT_EQ(e.p1, 24 * 1024) << "bytes in all";
            EXPECT_EQ(e.p3, 24 * 1024) << "file size";
            EXPECT_GT(e.p2, lastSent) << "progress only goes up";
            lastSent = e.p2;
        } else if (e.code == 13) {
            EXPECT_EQ(lastSent, 24 * 1024) << "the last progress says everything was sent";
        } else if (e.code == 14) {
            EXPECT_EQ(e.p1, 1) << "success";
        } else if (e.code == 15) {
            EXPECT_EQ(e.p1 + e.p2, 2) << "files left and tracks online add up";
        }
    }
    EXPECT_EQ(uploads, 2);
    auto stored = service->Tracks(email, password);
    EXPECT_EQ(stored.size(), 2u);
    for (const StoredTrack& track : stored) EXPECT_EQ(track.size, 24u * 1024);

    // A second log-in finds everything stored and uploads nothing.
    DLLAPI_logoutPelko();
    WaitFor([](const auto& e) { return Has(e, 8); });
    DeleteFileW(eventLog().c_str());
    DLLAPI_loginPelko();
    events = WaitFor([](const auto& e) { return Has(e, 15); });
    EXPECT_TRUE(AllStored(events, 2)) << ::testing::PrintToString(Codes(events));
    EXPECT_FALSE(Has(events, 12));
}

TEST_F(WorkingEngineTest, UploadRateFollowsTheLimit) {
    // 48 KiB at 16 KiB/s cannot take less than three seconds; without a limit it is quick.
    struct Case {
        int32_t limit;
        DWORD atLeastMs;
        DWORD belowMs;
    } cases[] = {{16, 2700, 60000}, {-1, 0, 2000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        DemoFolder music;
        email = UniqueEmail("rate");
        ASSERT_TRUE(service->Register(email, password));
        WriteWav(music.Path(L"Track.wav"), 48 * 1024, 7);
        DeleteFileW(eventLog().c_str());
        Start(service->Port(), password, c.limit, music.Path());
        ULONGLONG started = 0, sent = 0;
        WaitForEvents(eventLog(), [&](const auto& e) {
            if (!started && Has(e, 12)) started = GetTickCount64();
            if (!sent && Has(e, 13)) sent = GetTickCount64();
            return sent != 0;
        }, 30000);
        DLLAPI_shutdownPelko();
        ASSERT_NE(sent, 0u);
        EXPECT_GE(sent - started, c.atLeastMs);
        EXPECT_LT(sent - started, c.belowMs);
    }
}

TEST_F(WorkingEngineTest, NewFilesInAWatchedFolderAreStored) {
    const std::wstring music = folder.Path(L"Music");
    WriteWav(music + L"\\First.wav", 8 * 1024, 11);
    Start(service->Port(), password, -1, music);
    ASSERT_TRUE(AllStored(WaitFor([](const auto& e) { return AllStored(e, 1); }), 1));

    WriteWav(music + L"\\Later\\Second.wav", 8 * 1024, 12);
    auto events = WaitFor([](const auto& e) { return AllStored(e, 2); });
    EXPECT_TRUE(AllStored(events, 2)) << ::testing::PrintToString(Codes(events));
    EXPECT_EQ(service->Tracks(email, password).size(), 2u);
}

TEST_F(WorkingEngineTest, StreamRequestFromTheServiceIsAnswered) {
    const std::wstring music = folder.Path(L"Music");
    WriteWav(music + L"\\Listen to me.wav", 40 * 1024, 21);
    Start(service->Port(), password, -1, music);
    ASSERT_TRUE(AllStored(WaitFor([](const auto& e) { return AllStored(e, 1); }), 1));

    ASSERT_TRUE(service->Play(email, password, "Listen to me.wav"));
    auto events = WaitFor([](const auto& e) { return Has(e, 11); });
    ASSERT_TRUE(Has(events, 10));
    ASSERT_TRUE(Has(events, 11));
    for (const LoggedEvent& e : events) {
        if (e.code == 10) {
            EXPECT_EQ(e.text, "Listen to me.wav");
        }
    }
    EXPECT_EQ(service->StreamedBytes(email, password), std::vector<uint64_t>{40 * 1024});
}

TEST_F(WorkingEngineTest, ItunesLibraryIsTheSourceWhenChosen) {
    const std::wstring elsewhere = folder.Path(L"iTunes Media");
    WriteWav(elsewhere + L"\\Listed & loved.m4a", 8 * 1024, 31);
    WriteWav(elsewhere + L"\\Not listed.wav", 8 * 1024, 32);
    const std::wstring folderMusic = folder.Path(L"Folder music");
    WriteWav(folderMusic + L"\\In the folder.wav", 8 * 1024, 33);
    std::string location = "file://localhost/" + Narrow(elsewhere) + "/Listed%20&amp;%20loved.m4a";
    for (char& ch : location)
        if (ch == '\\') ch = '/';
    const std::wstring library = folder.Path(L"iTunes Music Library.xml");
    {
        std::ofstream xml(library.c_str(), std::ios::binary);
        xml << "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>Tracks</key><dict>"
               "<key>1</key><dict><key>Name</key><string>Listed</string>"
               "<key>Location</key><string>" << location << "</string></dict>"
               "<key>2</key><dict><key>Location</key><string>http://example.com/radio</string></dict>"
               "</dict></dict></plist>\n";
    }
    SetEnvironmentVariableW(L"TOVELINK_ITUNES_LIBRARY", library.c_str());
    Start(service->Port(), password, -1, folderMusic);
    DLLAPI_enableItunes();
    auto events = WaitFor([](const auto& e) { return Has(e, 14); });
    events = WaitFor([](const auto& e) { return AllStored(e, 1); });
    ASSERT_TRUE(AllStored(events, 1)) << ::testing::PrintToString(Codes(events));
    auto stored = service->Tracks(email, password);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].name, "Listed & loved.m4a");
}

TEST_F(WorkingEngineTest, LogOutCutsTheUploadAndEndsWithLoggedOut) {
    const std::wstring music = folder.Path(L"Music");
    WriteWav(music + L"\\Slow.wav", 64 * 1024, 41);
    Start(service->Port(), password, 8, music);
    ASSERT_TRUE(Has(WaitFor([](const auto& e) { return Has(e, 16); }), 16));
    DLLAPI_logoutPelko();
    auto events = WaitFor([](const auto& e) { return Has(e, 8); });
    ASSERT_TRUE(Has(events, 8));
    Sleep(1500);
    events = Events();
    std::vector<int32_t> codes = Codes(events);
    EXPECT_EQ(codes.back(), 8) << "nothing after the log-out: " << ::testing::PrintToString(codes);
    EXPECT_TRUE(Has(events, 14, 0)) << "the cut upload is reported as failed";
    EXPECT_TRUE(service->Tracks(email, password).empty());
}

TEST_F(WorkingEngineTest, ShutdownDuringAnUploadIsPromptAndFinal) {
    const std::wstring music = folder.Path(L"Music");
    WriteWav(music + L"\\Long.wav", 256 * 1024, 51);
    Start(service->Port(), password, 4, music);
    ASSERT_TRUE(Has(WaitFor([](const auto& e) { return Has(e, 16); }), 16));
    ULONGLONG before = GetTickCount64();
    DLLAPI_shutdownPelko();
    gShutdownReturned = true;
    EXPECT_LT(GetTickCount64() - before, 3000u);
    Sleep(500);
    EXPECT_EQ(gAfterShutdown, 0);
    auto events = Events();
    ASSERT_FALSE(events.empty());
    EXPECT_TRUE(events.back().shutdown) << "the shut-down mark is the last line";
}

}  // namespace
