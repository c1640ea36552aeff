// Between the engine's configuration and the packed records the client exchanges with it.
#pragma once

#include "EngineConfig.h"

#include <Tovelink.h>

#include <string>
#include <vector>

namespace tovelink {

// A DLLConfig handed to the client, with the root texts it points to.
class ConfigRecord {
public:
    explicit ConfigRecord(const EngineConfig& config);
    ConfigRecord(const ConfigRecord&) = delete;
    ConfigRecord& operator=(const ConfigRecord&) = delete;

    DLLConfig* Get() { return &record_; }

private:
    std::vector<std::wstring> roots_;
    DLLConfig record_{};
};

// The longest root text taken from the client, in UTF-16 units.
constexpr size_t kMaxRootUnits = 32767;

// What the client sent, every field read within its bounds; at most kMaxRoots roots, null and
// empty root pointers skipped.
EngineConfig ConfigFromRecord(const DLLConfig& record);

struct ServerSettings {
    std::string address;
    uint16_t port;
    uint16_t httpsPort;
    int32_t disableSslCAVerify;
};
ServerSettings ServerFromRecord(const DLLServer& record);

struct Credentials {
    std::string name;
    std::string password;
};
Credentials CredentialsFromRecord(const DLLUserpass& record);

}  // namespace tovelink
