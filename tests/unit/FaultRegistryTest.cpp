// The per-user Run key cannot be written (its permissions allow reading only): turning start at
// logon on or off, and a start-up whose stored flag rewrites the logon value, pass over it
// silently; the flag keeps its new value and the key keeps what it held.
#include "BoxWatcher.h"
#include "GUI/PelkoConfig.h"
#include "MainWindowFixture.h"

#include <windows.h>
#include <sddl.h>

#include <optional>
#include <string>
#include <vector>

using namespace tests;

namespace {

// Makes the Run key read-only for everyone while it lives, then gives the key its own permissions
// back (its owner may always change them).
class ReadOnlyRunKey {
public:
    ReadOnlyRunKey() {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, TPelkoConfig::kRunKey, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr,
                            &key_, nullptr) != ERROR_SUCCESS)
            return;
        DWORD size = 0;
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        if (size == 0 || RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS)
            return;
        PSECURITY_DESCRIPTOR readOnly = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                  nullptr))
            return;
        locked_ = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS;
        LocalFree(readOnly);
    }
    ~ReadOnlyRunKey() {
        if (locked_) RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data());
        if (key_) RegCloseKey(key_);
    }
    ReadOnlyRunKey(const ReadOnlyRunKey&) = delete;
    ReadOnlyRunKey& operator=(const ReadOnlyRunKey&) = delete;

    bool Locked() const { return locked_; }

private:
    HKEY key_ = nullptr;
    std::vector<BYTE> saved_;
    bool locked_ = false;
};

// The logon value's text, or nothing when there is none.
std::optional<std::wstring> LogonValue() {
    wchar_t data[2048] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, TPelkoConfig::kRunKey, TPelkoConfig::kRunValue, RRF_RT_REG_SZ, nullptr, data,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

// Whatever the test run finds in the key stays there.
class KeptLogonValue {
public:
    KeptLogonValue() : before_(LogonValue()) {}
    ~KeptLogonValue() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, TPelkoConfig::kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        if (before_) {
            RegSetValueExW(key, TPelkoConfig::kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(before_->c_str()),
                           static_cast<DWORD>((before_->size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key, TPelkoConfig::kRunValue);
        }
        RegCloseKey(key);
    }
    KeptLogonValue(const KeptLogonValue&) = delete;
    KeptLogonValue& operator=(const KeptLogonValue&) = delete;
    const std::optional<std::wstring>& Before() const { return before_; }

private:
    std::optional<std::wstring> before_;
};

}  // namespace

TEST(FaultRegistry, AnUnwritableRunKeyIsPassedOverSilently) {
    const KeptLogonValue kept;
    const std::optional<std::wstring> helds[] = {std::nullopt, L"\"C:\\Old\\Tonalix.exe\" /minimized"};
    for (const std::optional<std::wstring>& held : helds) {
        SCOPED_TRACE(held ? "a logon value held" : "no logon value");
        // What the key holds before it is locked.
        {
            TPelkoConfig setter;
            if (held) {
                HKEY key = nullptr;
                ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, TPelkoConfig::kRunKey, 0, nullptr, 0, KEY_SET_VALUE,
                                          nullptr, &key, nullptr),
                          ERROR_SUCCESS);
                RegSetValueExW(key, TPelkoConfig::kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(held->c_str()),
                               static_cast<DWORD>((held->size() + 1) * sizeof(wchar_t)));
                RegCloseKey(key);
            } else {
                setter.SetRunOnStartup(false);
            }
        }
        ASSERT_EQ(LogonValue(), held);

        const ReadOnlyRunKey locked;
        ASSERT_TRUE(locked.Locked());
        BoxWatcher watcher(IDOK);
        TPelkoConfig config;
        config.SetRunOnStartup(true);
        EXPECT_TRUE(config.GetAutoRun()) << "the flag keeps its new value";
        EXPECT_EQ(LogonValue(), held) << "nothing was written";
        config.SetRunOnStartup(false);
        EXPECT_FALSE(config.GetAutoRun());
        EXPECT_EQ(LogonValue(), held) << "nothing was removed";
        EXPECT_TRUE(watcher.Seen().empty()) << "nothing is reported";
    }
}

namespace {

// A start-up whose stored flag asks for the logon value, while the key cannot be written.
class FaultRegistryStartupTest : public MainWindowTest {
protected:
    StoredConfig Stored() const override {
        StoredConfig config;
        config.runOnStartup = 1;
        return config;
    }
    void SetUp() override {
        ASSERT_TRUE(locked_.Locked());
        BoxWatcher watcher(IDOK);
        MainWindowTest::SetUp();
        Pump();
        boxes_ = watcher.Seen();
    }

    KeptLogonValue kept_;
    ReadOnlyRunKey locked_;
    std::vector<SeenBox> boxes_;
};

}  // namespace

TEST_F(FaultRegistryStartupTest, StartUpGoesOnWithoutTheLogonValue) {
    EXPECT_TRUE(boxes_.empty()) << "nothing is reported";
    ASSERT_TRUE(Config);
    EXPECT_TRUE(Config->GetAutoRun());
    EXPECT_EQ(LogonValue(), kept_.Before()) << "the key keeps what it held";
    const std::vector<std::string> calls = Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "startPelko") << "the start-up ran to its end";
}
