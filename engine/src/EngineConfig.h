// The engine's configuration as it keeps it in memory and in its file; texts are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovelink {

constexpr size_t kMaxRoots = 32;

struct EngineConfig {
    std::vector<std::string> roots;  // at most kMaxRoots, in the order they were added
    std::string serverAddress = "localhost";
    uint16_t serverPort = 80;
    uint16_t serverHttpsPort = 443;
    int32_t disableSslCAVerify = 0;
    std::string loginName;
    std::string loginPassword;
    int32_t maxUpload = -1;
    uint32_t runOnStartup = 0;
    uint32_t loginOnRun = 0;
    uint32_t importItunes = 0;

    bool operator==(const EngineConfig& other) const;
};

}  // namespace tovelink
