#include "ConfigRecord.h"

#include "TextCodec.h"

namespace tovelink {

ConfigRecord::ConfigRecord(const EngineConfig& config) {
    for (const std::string& root : config.roots) {
        if (roots_.size() == kMaxRoots) break;
        roots_.push_back(Utf8ToWide(root));
    }
    // The vector no longer changes, so these pointers stay valid.
    for (size_t i = 0; i < roots_.size(); ++i) record_.indexerRoots[i] = roots_[i].c_str();
    record_.indexerRootCount = static_cast<uint32_t>(roots_.size());
    Utf8ToAnsiField(config.serverAddress, record_.serverAddress, sizeof record_.serverAddress);
    Utf8ToAnsiField(config.loginName, record_.loginName, sizeof record_.loginName);
    Utf8ToAnsiField(config.loginPassword, record_.loginPassword, sizeof record_.loginPassword);
    record_.serverPort = config.serverPort;
    record_.serverHttpsPort = config.serverHttpsPort;
    record_.disableSslCAVerify = config.disableSslCAVerify;
    record_.maxUpload = config.maxUpload;
    record_.runOnStartup = config.runOnStartup;
    record_.loginOnRun = config.loginOnRun;
    record_.importItunes = config.importItunes;
}

EngineConfig ConfigFromRecord(const DLLConfig& record) {
    EngineConfig config;
    uint32_t count = record.indexerRootCount < kMaxRoots ? record.indexerRootCount : kMaxRoots;
    for (uint32_t i = 0; i < count; ++i) {
        std::wstring root = BoundedWide(record.indexerRoots[i], kMaxRootUnits);
        if (!root.empty()) config.roots.push_back(WideToUtf8(root));
    }
    config.serverAddress = AnsiFieldToUtf8(record.serverAddress, sizeof record.serverAddress);
    config.loginName = AnsiFieldToUtf8(record.loginName, sizeof record.loginName);
    config.loginPassword = AnsiFieldToUtf8(record.loginPassword, sizeof record.loginPassword);
    config.serverPort = record.serverPort;
    config.serverHttpsPort = record.serverHttpsPort;
    config.disableSslCAVerify = record.disableSslCAVerify;
    config.maxUpload = record.maxUpload;
    config.runOnStartup = record.runOnStartup;
    config.loginOnRun = record.loginOnRun;
    config.importItunes = record.importItunes;
    return config;
}

ServerSettings ServerFromRecord(const DLLServer& record) {
    return {AnsiFieldToUtf8(record.serverAddress, sizeof record.serverAddress), record.serverPort,
            record.serverHttpsPort, record.disableSslCAVerify};
}

Credentials CredentialsFromRecord(const DLLUserpass& record) {
    return {AnsiFieldToUtf8(record.loginName, sizeof record.loginName),
            AnsiFieldToUtf8(record.loginPassword, sizeof record.loginPassword)};
}

}  // namespace tovelink
