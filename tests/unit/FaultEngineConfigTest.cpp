// A damaged engine configuration file: missing, empty, cut short, garbage, too big, or holding
// fields too long for their records. Start-up always runs to its end without a message, with
// whatever the file still says, every text cut to its field.
#include "BoxWatcher.h"
#include "GUI/AnsiText.h"
#include "GUI/Application.h"
#include "GUI/PelkoConfig.h"
#include "MainWindowFixture.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <string>

using namespace tests;

namespace {

class FaultEngineConfigTest : public MainWindowTest {
protected:
    // Each test starts the window itself, over a file of its own.
    void SetUp() override {}

    // Writes `bytes` as the engine's configuration file (none when `present` is false), then runs
    // the start-up sequence with a watch for message boxes.
    void StartWith(const std::string& bytes, bool present = true) {
        config_ = scratch.Path(L"config.ini");
        callLog_ = scratch.Path(L"calls.log");
        DeleteFileW(config_.c_str());
        DeleteFileW(callLog_.c_str());
        if (present) {
            std::ofstream out(config_.c_str(), std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        SetEnvironmentVariableW(L"TOVELINK_CONFIG", config_.c_str());
        SetEnvironmentVariableW(L"TOVELINK_CALLLOG", callLog_.c_str());
        BoxWatcher watcher(IDOK);
        form = std::make_unique<TPelkoMainForm>();
        ASSERT_TRUE(form->Create(false));
        Application().SetIdleHandler(nullptr);  // the first-run prompt is another test's business
        Pump();
        EXPECT_TRUE(watcher.Seen().empty()) << "no message at start-up";
    }

    bool Called(const std::string& line) const {
        const std::vector<std::string> calls = Calls();
        return std::find(calls.begin(), calls.end(), line) != calls.end();
    }
};

std::string RandomBytes(size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

}  // namespace

TEST_F(FaultEngineConfigTest, UnreadableFilesStartWithTheDefaults) {
    struct Case {
        const char* name;
        std::string bytes;
        bool present;
    } cases[] = {
        {"missing", "", false},
        {"empty", "", true},
        {"garbage", RandomBytes(64 * 1024, 7), true},
        {"a name cut inside a character", "[config]\nloginName=J\xC3", true},
        // Only the first MiB is read: what comes after it is never seen.
        {"too big", std::string(2 * 1024 * 1024, '#') + "\nloginName=late@example.com\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartWith(c.bytes, c.present);
        ASSERT_TRUE(Config);
        EXPECT_TRUE(Called("startPelko")) << "the start-up ran to its end";
        EXPECT_EQ(Config->GetUsername(), "");
        EXPECT_EQ(Config->GetServerAddress(), "localhost");
        EXPECT_EQ(Config->GetServerPort(), 80);
        EXPECT_EQ(Config->GetMaxUpload(), -1);
        EXPECT_EQ(Config->GetDirCount(), 0);
        EXPECT_FALSE(form->LoginButton.Enabled());
        TearDown();
    }
}

TEST_F(FaultEngineConfigTest, AFileCutShortKeepsWhatItStillSays) {
    StartWith("[config]\nroot=C:\\Music\nserverPort=8080\nloginName=ann@exa");
    EXPECT_TRUE(Called("startPelko"));
    EXPECT_EQ(Config->GetDirCount(), 1);
    EXPECT_EQ(Config->GetServerPort(), 8080);
    EXPECT_EQ(Config->GetUsername(), "ann@exa");
    EXPECT_EQ(form->UsernameEdit.Text(), L"ann@exa");
}

TEST_F(FaultEngineConfigTest, OverlongFieldsAreCutToTheirRecordsAndNumbersOutOfRangeIgnored) {
    const std::wstring longRoot = L"C:\\" + std::wstring(297, L'r');
    std::string file = "[config]\nroot=" + WideToAnsi(longRoot) + "\n";
    for (int i = 0; i < 39; ++i) file += "root=C:\\Music\\" + std::to_string(i) + "\n";
    file += "serverAddress=" + std::string(400, 'c') + "\nserverPort=70000\nloginName=" + std::string(300, 'a') +
            "\nloginPassword=" + std::string(100, 'b') + "\nmaxUpload=99999999999\n";
    StartWith(file);

    EXPECT_TRUE(Called("startPelko"));
    EXPECT_EQ(Config->GetServerAddress(), std::string(127, 'c'));
    EXPECT_EQ(Config->GetUsername(), std::string(200, 'a'));
    EXPECT_EQ(Config->GetPassword(), std::string(40, 'b'));
    EXPECT_EQ(form->UsernameEdit.Text(), std::wstring(200, L'a'));
    EXPECT_EQ(form->PasswordEdit.Text(), std::wstring(40, L'b'));
    EXPECT_EQ(Config->GetServerPort(), 80) << "a port out of range is ignored";
    EXPECT_EQ(Config->GetMaxUpload(), -1) << "a limit out of range is ignored";
    ASSERT_EQ(Config->GetDirCount(), 32) << "roots after the 32nd are ignored";
    EXPECT_EQ(Config->GetDir(0), longRoot);
    // The engine takes folder paths of at most 259 characters: the long one arrives empty.
    EXPECT_TRUE(Called("addRoot\tpath="));
    EXPECT_TRUE(Called("addRoot\tpath=C:\\Music\\30"));
    EXPECT_FALSE(Called("addRoot\tpath=C:\\Music\\31"));
    EXPECT_TRUE(
        Called("setServer\taddress=" + std::string(127, 'c') + "\tport=80\thttpsPort=443\tdisableSslCAVerify=0"));
    EXPECT_TRUE(Called("setUserpass\tname=" + std::string(200, 'a') + "\tpassword=" + std::string(40, 'b')));
    EXPECT_TRUE(Called("setMaxUpload\tlimit=-1"));
}
