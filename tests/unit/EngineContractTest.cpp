// The stand-in engine's test contract, in-process: configuration file, call log, control
// pipe events and shut-down (engine/README.md).
#include "EngineControl.h"
#include "ProgramRunner.h"

#include <Tovelink.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Received {
    DWORD thread;
    int32_t code, param1, param2, param3;
    bool hasText;
    std::wstring text;
};

// What the callback saw; the callback is a plain function, so this has to be process-wide.
struct Recorder {
    std::mutex mutex;
    std::vector<Received> events;
    std::atomic<bool> shutdownReturned{false};
    std::atomic<int> afterShutdown{0};
    std::atomic<int> count{0};
};
Recorder& Recorded() {
    static Recorder recorder;
    return recorder;
}

int32_t TOVELINK_CALL RecordEvent(int32_t code, int32_t p1, int32_t p2, int32_t p3,
                                  const wchar_t* text) {
    Recorder& r = Recorded();
    if (r.shutdownReturned) ++r.afterShutdown;
    std::lock_guard<std::mutex> lock(r.mutex);
    r.events.push_back({GetCurrentThreadId(), code, p1, p2, p3, text != nullptr,
                        text ? std::wstring(text) : std::wstring()});
    ++r.count;
    return 0;
}

std::wstring FromAnsi(const char* text) {
    int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (n <= 0) return L"<not valid in the ANSI code page>";
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
    out.pop_back();
    return out;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadBytes(const std::wstring& path) {
    std::string text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    return text;
}

void SetVariable(const wchar_t* name, const std::wstring& value) {
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

class EngineContractTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        std::wstring unique = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
        dir_ = std::wstring(temp) + L"tovelink-test-" + unique;
        CreateDirectoryW(dir_.c_str(), nullptr);
        configPath_ = dir_ + L"\\config.ini";
        logPath_ = dir_ + L"\\calls.log";
        pipeName_ = L"tovelink-test-" + unique;
        SetVariable(L"TOVELINK_CONFIG", configPath_);
        SetVariable(L"TOVELINK_CALLLOG", L"");
        SetVariable(L"TOVELINK_CONTROL", L"");
        Recorder& r = Recorded();
        std::lock_guard<std::mutex> lock(r.mutex);
        r.events.clear();
        r.count = 0;
        r.shutdownReturned = false;
        r.afterShutdown = 0;
    }

    void TearDown() override {
        DLLAPI_shutdownPelko();
        for (const wchar_t* name : {L"TOVELINK_CONFIG", L"TOVELINK_CALLLOG", L"TOVELINK_CONTROL"})
            SetVariable(name, L"");
        tests::RemoveTree(dir_);
    }

    // Starts the engine on a fresh configuration read and returns its record.
    DLLConfig ReadRecordAfterInit() {
        DLLAPI_initPelko(RecordEvent);
        DLLConfig copy = *DLLAPI_getConfig();
        return copy;  // root pointers stay valid until configFree, which the test calls
    }

    void ClearEvents() {
        std::lock_guard<std::mutex> lock(Recorded().mutex);
        Recorded().events.clear();
    }

    std::vector<Received> Events() {
        std::lock_guard<std::mutex> lock(Recorded().mutex);
        return Recorded().events;
    }

    std::wstring dir_, configPath_, logPath_, pipeName_;
};

// --- configuration file ---

TEST_F(EngineContractTest, MissingFileGivesTheDefaults) {
    DLLConfig c = ReadRecordAfterInit();
    EXPECT_EQ(c.indexerRootCount, 0u);
    EXPECT_STREQ(c.serverAddress, "localhost");
    EXPECT_EQ(c.serverPort, 80);
    EXPECT_EQ(c.serverHttpsPort, 443);
    EXPECT_EQ(c.disableSslCAVerify, 0);
    EXPECT_STREQ(c.loginName, "");
    EXPECT_STREQ(c.loginPassword, "");
    EXPECT_EQ(c.maxUpload, -1);
    EXPECT_EQ(c.runOnStartup, 0u);
    EXPECT_EQ(c.loginOnRun, 0u);
    EXPECT_EQ(c.importItunes, 0u);
    DLLAPI_configFree();
}

TEST_F(EngineContractTest, FileValuesReachTheRecordRawAndBadLinesAreSkipped) {
    WriteBytes(configPath_,
               "\xEF\xBB\xBF; written by hand\r\n"
               "[config]\r\n"
               "root=C:\\Music\r\n"
               "root=D:\\M\xC3\xBCsik;1\r\n"
               "root=\r\n"
               "serverAddress=music.example.org\r\n"
               "serverPort=8080\r\n"
               "serverPort=80x\r\n"
               "serverHttpsPort=70000\r\n"
               "disableSslCAVerify=-3\r\n"
               "loginName=me@example.org\n"
               "loginPassword=\" pass word \"\n"
               "maxUpload=250\n"
               "runOnStartup=2\n"
               "loginOnRun=1\n"
               "importItunes=2\n"
               "someFutureKey=1\n"
               "a line without an equals sign\n"
               "loginName=\"unterminated\n"
               "[elsewhere]\n"
               "maxUpload=7\n");
    DLLConfig c = ReadRecordAfterInit();
    ASSERT_EQ(c.indexerRootCount, 2u);
    EXPECT_STREQ(c.indexerRoots[0], L"C:\\Music");
    EXPECT_STREQ(c.indexerRoots[1], L"D:\\M\u00FCsik;1");
    EXPECT_STREQ(c.serverAddress, "music.example.org");
    EXPECT_EQ(c.serverPort, 8080);        // the malformed second line is skipped
    EXPECT_EQ(c.serverHttpsPort, 443);    // out of range: skipped, the default stays
    EXPECT_EQ(c.disableSslCAVerify, -3);
    EXPECT_STREQ(c.loginName, "me@example.org");
    EXPECT_STREQ(c.loginPassword, " pass word ");
    EXPECT_EQ(c.maxUpload, 250);          // the other section's value is not read
    EXPECT_EQ(c.runOnStartup, 2u);
    EXPECT_EQ(c.loginOnRun, 1u);
    EXPECT_EQ(c.importItunes, 2u);
    DLLAPI_configFree();
}

TEST_F(EngineContractTest, DamagedFilesNeverCrashAndKeepWhatTheyCan) {
    struct Case {
        std::string bytes;
        uint16_t port;
    } cases[] = {
        {"", 80},
        {"[config", 80},
        {"serverPort=8081", 8081},  // no section header, no line end
        {"[config]\nserverPort=", 80},
        {"[config]\nroot", 80},
        {"[config]\nserverPort=8082\nloginName=\xFF\xFE\n", 8082},
        {std::string("\0\0\0\0serverPort=1", 17), 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        WriteBytes(configPath_, c.bytes);
        DLLConfig record = ReadRecordAfterInit();
        EXPECT_EQ(record.serverPort, c.port);
        EXPECT_STREQ(record.loginName, "");
        DLLAPI_configFree();
        DLLAPI_shutdownPelko();
    }
}

// The widest character the ANSI code page can hold, among a few; the cut must never split it.
struct WideChar {
    wchar_t character;
    const char* utf8;
    int ansiBytes;
};
WideChar WidestAnsiCharacter() {
    WideChar best{L'a', "a", 1};
    for (WideChar c : {WideChar{L'\u00E9', "\xC3\xA9", 0}, WideChar{L'\u65E5', "\xE6\x97\xA5", 0}}) {
        BOOL lossy = FALSE;
        char bytes[8];
        c.ansiBytes = WideCharToMultiByte(CP_ACP, 0, &c.character, 1, bytes, sizeof bytes, nullptr,
                                          &lossy);
        if (!lossy && c.ansiBytes > best.ansiBytes) best = c;
    }
    return best;
}

TEST_F(EngineContractTest, OverlongTextsAreCutAtACharacterAndTerminated) {
    std::string roots;
    for (int i = 0; i < 40; ++i) roots += "root=C:\\r" + std::to_string(i) + "\n";
    const WideChar wide = WidestAnsiCharacter();
    std::string address;
    for (int i = 0; i < 200; ++i) address += wide.utf8;
    WriteBytes(configPath_, "[config]\n" + roots + "serverAddress=" + address +
                                "\nloginName=" + std::string(300, 'n') +
                                "\nloginPassword=" + std::string(50, 'p') + "\n");
    DLLConfig c = ReadRecordAfterInit();

    ASSERT_EQ(c.indexerRootCount, 32u);
    EXPECT_STREQ(c.indexerRoots[31], L"C:\\r31");
    EXPECT_EQ(std::string(c.loginName, sizeof c.loginName), std::string(200, 'n') + '\0');
    EXPECT_EQ(std::string(c.loginPassword, sizeof c.loginPassword), std::string(40, 'p') + '\0');
    EXPECT_EQ(c.serverPort, 80);  // the field after the password is untouched

    // As many whole characters as fit in 127 bytes, and the zero right after them.
    const size_t fit = 127 / static_cast<size_t>(wide.ansiBytes);
    EXPECT_EQ(FromAnsi(c.serverAddress), std::wstring(fit, wide.character)) << "code page " << GetACP();
    EXPECT_EQ(c.serverAddress[fit * static_cast<size_t>(wide.ansiBytes)], '\0');
    DLLAPI_configFree();
}

TEST_F(EngineContractTest, SetConfigAndSaveRoundTripThroughTheFile) {
    configPath_ = dir_ + L"\\new folder\\deeper\\config.ini";  // folders are created on save
    WriteBytes(dir_ + L"\\seed.ini", "[config]\nimportItunes=2\nloginOnRun=2\n");
    SetVariable(L"TOVELINK_CONFIG", dir_ + L"\\seed.ini");
    DLLConfig c = ReadRecordAfterInit();
    DLLAPI_configFree();
    EXPECT_EQ(c.importItunes, 2u);
    SetVariable(L"TOVELINK_CONFIG", configPath_);

    const wchar_t* roots[] = {L"C:\\Music", L"E:\\\u97F3\u697D \"live\"", L"F:\\a\tb"};
    for (int i = 0; i < 3; ++i) c.indexerRoots[i] = roots[i];
    c.indexerRootCount = 3;
    std::strcpy(c.serverAddress, "host.example");
    std::strcpy(c.loginName, " spaced user ");
    std::strcpy(c.loginPassword, "pw\"quoted\"\nnext=1");
    c.serverPort = 8000;
    c.maxUpload = 0;
    DLLAPI_setConfig(&c);
    EXPECT_EQ(DLLAPI_configSave(), 0);
    DLLAPI_shutdownPelko();

    std::string file = ReadBytes(configPath_);
    EXPECT_NE(file.find("importItunes=2"), std::string::npos) << file;
    EXPECT_EQ(file.find("\nnext=1"), std::string::npos) << "a value broke out of its line";

    DLLConfig back = ReadRecordAfterInit();
    ASSERT_EQ(back.indexerRootCount, 3u);
    for (int i = 0; i < 3; ++i) EXPECT_STREQ(back.indexerRoots[i], roots[i]);
    EXPECT_STREQ(back.serverAddress, "host.example");
    EXPECT_STREQ(back.loginName, " spaced user ");
    EXPECT_STREQ(back.loginPassword, "pw\"quoted\"\nnext=1");
    EXPECT_EQ(back.serverPort, 8000);
    EXPECT_EQ(back.maxUpload, 0);
    EXPECT_EQ(back.importItunes, 2u);
    EXPECT_EQ(back.loginOnRun, 2u);
    DLLAPI_configFree();
}

TEST_F(EngineContractTest, SaveReportsFailureAndKeepsTheOldFile) {
    WriteBytes(dir_ + L"\\blocker", "not a folder");
    SetVariable(L"TOVELINK_CONFIG", dir_ + L"\\blocker\\config.ini");
    DLLAPI_initPelko(RecordEvent);
    EXPECT_NE(DLLAPI_configSave(), 0);
    EXPECT_EQ(ReadBytes(dir_ + L"\\blocker"), "not a folder");
}

TEST_F(EngineContractTest, SingleCallsChangeWhatGetConfigReturns) {
    DLLAPI_initPelko(RecordEvent);
    DLLAPI_addRoot(L"C:\\One");
    DLLAPI_addRoot(L"C:\\Two");
    DLLAPI_addRoot(L"c:\\one");  // already there, ignoring case
    DLLAPI_removeRoot(L"C:\\ONE");
    DLLAPI_removeRoot(L"C:\\Missing");
    DLLAPI_addRoot(nullptr);
    for (int i = 0; i < 40; ++i) DLLAPI_addRoot((L"D:\\" + std::to_wstring(i)).c_str());
    DLLAPI_enableItunes();
    DLLServer server{};
    std::memset(server.serverAddress, 'x', sizeof server.serverAddress);  // no terminator
    server.serverPort = 81;
    server.serverHttpsPort = 444;
    server.disableSslCAVerify = 1;
    DLLAPI_setServer(&server);
    DLLAPI_setServer(nullptr);
    DLLUserpass userpass{};
    std::strcpy(userpass.loginName, "a@b.c");
    std::strcpy(userpass.loginPassword, "pw");
    DLLAPI_setUserpass(&userpass);
    DLLAPI_setMaxUpload(12);

    const DLLConfig& c = *DLLAPI_getConfig();
    ASSERT_EQ(c.indexerRootCount, 32u);
    EXPECT_STREQ(c.indexerRoots[0], L"C:\\Two");
    EXPECT_STREQ(c.indexerRoots[1], L"D:\\0");
    EXPECT_STREQ(c.indexerRoots[31], L"D:\\30");
    EXPECT_EQ(c.importItunes, 1u);
    EXPECT_EQ(std::string(c.serverAddress), std::string(127, 'x'));
    EXPECT_EQ(c.serverPort, 81);
    EXPECT_EQ(c.serverHttpsPort, 444);
    EXPECT_EQ(c.disableSslCAVerify, 1);
    EXPECT_STREQ(c.loginName, "a@b.c");
    EXPECT_STREQ(c.loginPassword, "pw");
    EXPECT_EQ(c.maxUpload, 12);
    DLLAPI_configFree();
}

// --- call log ---

TEST_F(EngineContractTest, CallLogHasOneLinePerCallInOrder) {
    SetVariable(L"TOVELINK_CALLLOG", logPath_);
    DLLAPI_initPelko(RecordEvent);
    DLLConfig c = *DLLAPI_getConfig();
    DLLAPI_configFree();
    DLLAPI_disableItunes();
    DLLAPI_addRoot(L"C:\\M\u00FCsik");
    DLLServer server{"localhost", 80, 443, 0};
    DLLAPI_setServer(&server);
    DLLUserpass userpass{"me@example.org", "a\tb"};
    DLLAPI_setUserpass(&userpass);
    DLLAPI_setMaxUpload(-1);
    const wchar_t* root = L"C:\\M\u00FCsik";
    c.indexerRoots[0] = root;
    c.indexerRootCount = 1;
    c.importItunes = 2;
    DLLAPI_setConfig(&c);
    (void)DLLAPI_configSave();
    DLLAPI_startPelko();
    DLLAPI_loginPelko();
    DLLAPI_logoutPelko();
    DLLAPI_enableItunes();
    DLLAPI_removeRoot(L"C:\\M\u00FCsik");
    DLLAPI_shutdownPelko();
    SetVariable(L"TOVELINK_CALLLOG", L"");
    DLLAPI_startPelko();  // not logged any more

    const std::vector<std::string> expected = {
        "initPelko",
        "getConfig",
        "configFree",
        "disableItunes",
        "addRoot\tpath=C:\\M\xC3\xBCsik",
        "setServer\taddress=localhost\tport=80\thttpsPort=443\tdisableSslCAVerify=0",
        "setUserpass\tname=me@example.org\tpassword=a\\x09b",
        "setMaxUpload\tlimit=-1",
        "setConfig\troots=1\troot0=C:\\M\xC3\xBCsik\taddress=localhost\tport=80\thttpsPort=443"
        "\tdisableSslCAVerify=0\tname=\tpassword=\tmaxUpload=-1\trunOnStartup=0\tloginOnRun=0"
        "\timportItunes=2",
        "configSave",
        "startPelko",
        "loginPelko",
        "logoutPelko",
        "enableItunes",
        "removeRoot\tpath=C:\\M\xC3\xBCsik",
        "shutdownPelko",
    };
    EXPECT_EQ(tests::ReadCallLog(logPath_), expected);
}

// --- control pipe ---

TEST_F(EngineContractTest, PipeEventsArriveOnAnEngineThreadWithTheirText) {
    SetVariable(L"TOVELINK_CONTROL", pipeName_);
    DLLAPI_initPelko(RecordEvent);
    tests::EngineControl control;
    ASSERT_TRUE(control.Open(pipeName_));

    struct Case {
        const char* line;
        int32_t code, p1, p2, p3;
        bool hasText;
        const wchar_t* text;
    } cases[] = {
        {"event 8 1 2 3", 8, 1, 2, 3, false, L""},
        {"event 6 0 0 0 \"\"", 6, 0, 0, 0, true, L""},
        {"event 10 -1 4294967295 2147483648 M\xC3\xBCsik \xE9\x9F\xB3 \"x\".mp3", 10, -1, -1,
         INT32_MIN, true, L"M\u00FCsik \u97F3 \"x\".mp3"},
        {"event 261 0 0 0  two  blanks ", 261, 0, 0, 0, true, L" two  blanks "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ClearEvents();
        EXPECT_EQ(control.Send(c.line), "ok");
        std::vector<Received> got = Events();
        ASSERT_EQ(got.size(), 1u);
        EXPECT_NE(got[0].thread, GetCurrentThreadId());
        EXPECT_EQ(got[0].code, c.code);
        EXPECT_EQ(got[0].param1, c.p1);
        EXPECT_EQ(got[0].param2, c.p2);
        EXPECT_EQ(got[0].param3, c.p3);
        EXPECT_EQ(got[0].hasText, c.hasText);
        EXPECT_EQ(got[0].text, c.text);
    }
}

TEST_F(EngineContractTest, BadCommandsAreAnsweredWithAnErrorAndSendNothing) {
    SetVariable(L"TOVELINK_CONTROL", pipeName_);
    DLLAPI_initPelko(RecordEvent);
    tests::EngineControl control;
    ASSERT_TRUE(control.Open(pipeName_));
    for (const char* line :
         {"", "hello", "event", "event 1 2 3", "event 1 2 3 x4", "event 1  2 3 4", "event 1 2 3 4 ",
          "event 1 2 3 99999999999999999999", "event 1 2 3 4 \xFF\xFE", "burst 10 0 1",
          "burst 10 65 1", "burst -1 1 1", "burst 10 2", "sleep", "sleep -5", "status now"}) {
        SCOPED_TRACE(line);
        auto answer = control.Send(line);
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(answer->rfind("error ", 0), 0u) << *answer;
    }
    EXPECT_EQ(control.Send(std::string(100000, 'x')), "error line too long");
    EXPECT_EQ(control.Send("event 0 0 0 0"), "ok");  // the connection still works after all that
    EXPECT_EQ(Events().size(), 1u);
}

TEST_F(EngineContractTest, StatusTellsWhatTheEngineWasTold) {
    SetVariable(L"TOVELINK_CONTROL", pipeName_);
    DLLAPI_initPelko(RecordEvent);
    DLLAPI_addRoot(L"C:\\M\u00FCsik");
    DLLAPI_enableItunes();
    DLLUserpass userpass{"me@example.org", "secret"};
    DLLAPI_setUserpass(&userpass);
    DLLAPI_setMaxUpload(64);
    DLLAPI_startPelko();
    DLLAPI_loginPelko();
    tests::EngineControl control;
    ASSERT_TRUE(control.Open(pipeName_));
    EXPECT_EQ(control.Send("status"),
              "ok\tstarted=1\tloggedIn=1\titunes=1\troots=1\troot0=C:\\M\xC3\xBCsik"
              "\taddress=localhost\tport=80\thttpsPort=443\tdisableSslCAVerify=0"
              "\tuser=me@example.org\tlimit=64");
    control.Close();
    DLLAPI_logoutPelko();
    ASSERT_TRUE(control.Open(pipeName_));  // a second connection after the first closed
    auto answer = control.Send("status");
    ASSERT_TRUE(answer.has_value());
    EXPECT_NE(answer->find("\tloggedIn=0\t"), std::string::npos) << *answer;
}

TEST_F(EngineContractTest, BurstDeliversEveryEventWithItsOwnParameters) {
    SetVariable(L"TOVELINK_CONTROL", pipeName_);
    DLLAPI_initPelko(RecordEvent);
    tests::EngineControl control;
    ASSERT_TRUE(control.Open(pipeName_));
    EXPECT_EQ(control.Send("burst 1000 4 15 16 12"), "ok\tevents=1000\tthreads=4");

    const int32_t codes[] = {15, 16, 12};
    std::vector<Received> got = Events();
    ASSERT_EQ(got.size(), 1000u);
    std::map<int32_t, std::vector<const Received*>> byThreadIndex;
    for (const Received& e : got) byThreadIndex[e.param1].push_back(&e);
    ASSERT_EQ(byThreadIndex.size(), 4u);
    std::set<DWORD> threadIds;
    for (const auto& [index, events] : byThreadIndex) {
        ASSERT_EQ(events.size(), 250u);
        for (int32_t s = 0; s < 250; ++s) {
            const Received& e = *events[static_cast<size_t>(s)];
            ASSERT_EQ(e.param2, s) << "events of one thread arrive in order";
            EXPECT_EQ(e.code, codes[(s * 4 + index) % 3]);
            EXPECT_EQ(e.param3, e.code);
            EXPECT_EQ(e.text, std::to_wstring(index) + L":" + std::to_wstring(s));
            EXPECT_EQ(e.thread, events[0]->thread);
        }
        threadIds.insert(events[0]->thread);
    }
    EXPECT_EQ(threadIds.size(), 4u);
    EXPECT_EQ(threadIds.count(GetCurrentThreadId()), 0u);
}

// --- shut-down ---

TEST_F(EngineContractTest, NothingArrivesAfterShutdownAndInitWorksAgain) {
    SetVariable(L"TOVELINK_CONTROL", pipeName_);
    DLLAPI_initPelko(RecordEvent);
    std::optional<std::string> burstAnswer{"not answered"};
    std::thread client([&] {
        tests::EngineControl control;
        if (control.Open(pipeName_)) burstAnswer = control.Send("burst 100000000 4 0 2");
    });
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (Recorded().count < 200 && GetTickCount64() < deadline) Sleep(1);
    ASSERT_GE(Recorded().count, 200) << "the burst never started";

    DLLAPI_shutdownPelko();
    Recorded().shutdownReturned = true;
    const int countAtShutdown = Recorded().count;
    client.join();
    Sleep(100);
    EXPECT_EQ(Recorded().afterShutdown, 0);
    EXPECT_EQ(Recorded().count, countAtShutdown);
    EXPECT_LT(countAtShutdown, 100000000);
    EXPECT_NE(burstAnswer, std::optional<std::string>("ok\tevents=100000000\tthreads=4"));

    Recorded().shutdownReturned = false;
    DLLAPI_initPelko(RecordEvent);
    tests::EngineControl control;
    ASSERT_TRUE(control.Open(pipeName_));
    EXPECT_EQ(control.Send("event 7 0 0 0"), "ok");
    EXPECT_EQ(Recorded().count, countAtShutdown + 1);

    DLLAPI_shutdownPelko();  // with a client connected and idle
    EXPECT_EQ(control.Send("event 7 0 0 0"), std::nullopt);
    EXPECT_EQ(Recorded().count, countAtShutdown + 1);
}

}  // namespace
