#include "GUI/PelkoConfig.h"
#include "GUI/RegistryKey.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

std::wstring TempPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name + std::to_wstring(GetCurrentProcessId());
}

std::wstring RunValue() {
    TRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, TPelkoConfig::kRunKey, KEY_QUERY_VALUE)) return L"<no key>";
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegQueryValueExW(key.Get(), TPelkoConfig::kRunValue, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS)
        return L"<none>";
    return type == REG_SZ ? data : L"<wrong type>";
}

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// Records the engine calls of one test through the stand-in engine's call log.
class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        log_ = TempPath(L"config-calls-");
        config_ = TempPath(L"config-store-");
        DeleteFileW(log_.c_str());
        DeleteFileW(config_.c_str());
        SetEnvironmentVariableW(L"TOVELINK_CALLLOG", log_.c_str());
        SetEnvironmentVariableW(L"TOVELINK_CONFIG", config_.c_str());
        TRegistryKey key;
        if (key.Open(HKEY_CURRENT_USER, TPelkoConfig::kRunKey, KEY_SET_VALUE))
            RegDeleteValueW(key.Get(), TPelkoConfig::kRunValue);
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TOVELINK_CALLLOG", nullptr);
        SetEnvironmentVariableW(L"TOVELINK_CONFIG", nullptr);
        DeleteFileW(log_.c_str());
        DeleteFileW(config_.c_str());
    }
    std::vector<std::string> Calls() const {
        std::vector<std::string> lines;
        std::ifstream in(log_.c_str());
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    std::wstring log_, config_;
};

DLLConfig Record() {
    DLLConfig record{};
    strcpy(record.serverAddress, "music.example");
    strcpy(record.loginName, "ann@example.com");
    strcpy(record.loginPassword, "secret");
    record.serverPort = 8080;
    record.serverHttpsPort = 8443;
    record.disableSslCAVerify = 1;
    record.maxUpload = 250;
    return record;
}

}  // namespace

TEST_F(ConfigTest, FlagsReadAsTheEngineMeansThem) {
    struct Case {
        uint32_t stored;
        bool itunes, autoRun, autoLogin;
    } cases[] = {{0, false, false, false}, {1, true, true, true}, {2, false, true, true}};
    for (const Case& c : cases) {
        DLLConfig record = Record();
        record.importItunes = record.runOnStartup = record.loginOnRun = c.stored;
        TPelkoConfig config;
        config.SetConfig(&record);
        EXPECT_EQ(config.GetItunesEnabled(), c.itunes) << c.stored;
        EXPECT_EQ(config.GetAutoRun(), c.autoRun) << c.stored;
        EXPECT_EQ(config.GetAutoLogin(), c.autoLogin) << c.stored;
    }
    EXPECT_TRUE(Calls().empty()) << "SetConfig tells the engine nothing";
}

TEST_F(ConfigTest, SaveWritesFlagsAsExactlyOneOrZero) {
    DLLConfig record = Record();
    record.importItunes = 2;
    record.runOnStartup = 2;
    record.loginOnRun = 7;
    const wchar_t* roots[] = {L"C:\\Music", L"D:\\M\u00FAsica"};
    record.indexerRoots[0] = roots[0];
    record.indexerRoots[1] = roots[1];
    record.indexerRootCount = 2;
    TPelkoConfig config;
    config.SetConfig(&record);
    (void)config.SaveConfig();
    const std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0],
              "setConfig\troots=2\troot0=C:\\Music\troot1=D:\\M\xC3\xBAsica\taddress=music.example\tport=8080\t"
              "httpsPort=8443\tdisableSslCAVerify=1\tname=ann@example.com\tpassword=secret\tmaxUpload=250\t"
              "runOnStartup=1\tloginOnRun=1\timportItunes=0");
    EXPECT_EQ(calls[1], "setMaxUpload\tlimit=250");
    EXPECT_EQ(calls[2], "configSave");
}

TEST_F(ConfigTest, RoundTripThroughTheEngine) {
    DLLConfig record = Record();
    const wchar_t* root = L"E:\\Albums";
    record.indexerRoots[0] = root;
    record.indexerRootCount = 1;
    record.importItunes = 1;
    TPelkoConfig config;
    config.SetConfig(&record);
    config.AddDir(L"F:\\More");
    (void)config.SaveConfig();

    const DLLConfig* stored = DLLAPI_getConfig();
    ASSERT_NE(stored, nullptr);
    TPelkoConfig reread;
    reread.SetConfig(stored);
    DLLAPI_configFree();
    ASSERT_EQ(reread.GetDirCount(), 2);
    EXPECT_EQ(reread.GetDir(0), L"E:\\Albums");
    EXPECT_EQ(reread.GetDir(1), L"F:\\More");
    EXPECT_EQ(reread.GetServerAddress(), "music.example");
    EXPECT_EQ(reread.GetServerPort(), 8080);
    EXPECT_EQ(reread.GetServerHttpsPort(), 8443);
    EXPECT_EQ(reread.GetDisableSslCAVerify(), 1);
    EXPECT_EQ(reread.GetUsername(), "ann@example.com");
    EXPECT_EQ(reread.GetPassword(), "secret");
    EXPECT_EQ(reread.GetMaxUpload(), 250);
    EXPECT_TRUE(reread.GetItunesEnabled());
}

TEST_F(ConfigTest, EmptyFolderListSavesNoRoots) {
    TPelkoConfig config;
    (void)config.SaveConfig();
    const std::vector<std::string> calls = Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].rfind("setConfig\troots=0\taddress=", 0), 0u) << calls[0];
}

TEST_F(ConfigTest, RecordRootsAreBoundedAndNullSlotsSkipped) {
    DLLConfig record = Record();
    const wchar_t* root = L"C:\\A";
    for (auto& slot : record.indexerRoots) slot = root;
    record.indexerRoots[3] = nullptr;
    record.indexerRootCount = 1000;
    TPelkoConfig config;
    config.SetConfig(&record);
    EXPECT_EQ(config.GetDirCount(), 31);
}

TEST_F(ConfigTest, UnterminatedTextFieldsStopAtTheFieldEnd) {
    DLLConfig record = Record();
    memset(record.loginPassword, 'x', sizeof record.loginPassword);
    TPelkoConfig config;
    config.SetConfig(&record);
    EXPECT_EQ(config.GetPassword(), std::string(41, 'x'));
    EXPECT_EQ(config.GetUsername(), "ann@example.com");
}

TEST_F(ConfigTest, CredentialChangesReachTheEngineOneByOne) {
    DLLConfig record = Record();
    TPelkoConfig config;
    config.SetConfig(&record);
    config.SetUsername("bob@example.com");
    config.SetPassword("hunter2");
    const std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "setUserpass\tname=bob@example.com\tpassword=secret");
    EXPECT_EQ(calls[1], "setUserpass\tname=bob@example.com\tpassword=hunter2");
}

TEST_F(ConfigTest, OverlongTextsAreCutToTheirFields) {
    TPelkoConfig config;
    config.SetUsername(std::string(300, 'n'));
    config.SetPassword(std::string(60, 'p'));
    const std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1], "setUserpass\tname=" + std::string(200, 'n') + "\tpassword=" + std::string(40, 'p'));
}

TEST_F(ConfigTest, DirIndexIgnoresCaseButNotTrailingBackslash) {
    TPelkoConfig config;
    config.AddDir(L"D:\\Music");
    config.AddDir(L"E:\\Rock");
    EXPECT_EQ(config.GetDirIndex(L"d:\\MUSIC"), 0);
    EXPECT_EQ(config.GetDirIndex(L"E:\\rock"), 1);
    EXPECT_EQ(config.GetDirIndex(L"D:\\Music\\"), -1);
    EXPECT_EQ(config.GetDirIndex(L"D:\\Musi"), -1);
    const std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], "addRoot\tpath=D:\\Music");
}

TEST_F(ConfigTest, DelDirTellsTheEngineThenForgets) {
    TPelkoConfig config;
    config.AddDir(L"D:\\Music");
    config.AddDir(L"E:\\Rock");
    config.DelDir(0);
    config.DelDir(5);  // out of range: nothing
    EXPECT_EQ(config.GetDirCount(), 1);
    EXPECT_EQ(config.GetDir(0), L"E:\\Rock");
    const std::vector<std::string> calls = Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2], "removeRoot\tpath=D:\\Music");
}

TEST_F(ConfigTest, RunValueIsWrittenOverwrittenAndRemoved) {
    EXPECT_EQ(RunValue(), L"<none>");
    TPelkoConfig config;
    config.SetRunOnStartup(false);  // nothing there: nothing happens
    EXPECT_EQ(RunValue(), L"<none>");

    {
        TRegistryKey key;
        ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, TPelkoConfig::kRunKey, KEY_SET_VALUE));
        const wchar_t old[] = L"\"C:\\Old\\Tonalix.exe\" /minimized";
        RegSetValueExW(key.Get(), TPelkoConfig::kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(old), sizeof old);
    }
    config.SetRunOnStartup(true);
    EXPECT_EQ(RunValue(), L"\"" + ProgramPath() + L"\" /minimized");
    EXPECT_TRUE(config.GetAutoRun());

    config.SetRunOnStartup(false);
    EXPECT_EQ(RunValue(), L"<none>");
    EXPECT_FALSE(config.GetAutoRun());
}

TEST_F(ConfigTest, SetConfigFollowsTheStoredRunFlag) {
    DLLConfig record = Record();
    record.runOnStartup = 1;
    TPelkoConfig config;
    config.SetConfig(&record);
    EXPECT_EQ(RunValue(), L"\"" + ProgramPath() + L"\" /minimized");
    record.runOnStartup = 0;
    config.SetConfig(&record);
    EXPECT_EQ(RunValue(), L"<none>");
}
