// The stand-in engine behind the entry points: its configuration, what the client told it,
// and the threads it runs: the working mode's, or the test contract's control pipe.
#pragma once

#include "ConfigRecord.h"
#include "ControlHandler.h"
#include "ControlPipe.h"
#include "EngineConfig.h"
#include "EngineMode.h"
#include "EventSink.h"
#include "WorkingEngine.h"

#include <Tovelink.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tovelink {

class Engine {
public:
    static Engine& Instance();

    void Init(TEngineCallback callback);
    DLLConfig* GetConfig();
    void ConfigFree();
    void SetItunes(bool enabled);
    void AddRoot(const std::wstring& path);
    void RemoveRoot(const std::wstring& path);
    void SetServer(const ServerSettings& server);
    void SetCredentials(const Credentials& credentials);
    void SetMaxUpload(int32_t limit);
    void SetConfig(const EngineConfig& config);
    [[nodiscard]] bool SaveConfig();
    void Start();
    void Login();
    void Logout();
    // Returns when every engine thread has ended; no event follows.
    void Shutdown();

private:
    Engine();

    void LoadIfNeeded();  // caller holds mutex_
    void StopThreads();
    EngineConfig Snapshot();
    std::string StatusAnswer();

    std::mutex mutex_;  // guards what the control pipe's thread reads too
    EngineConfig config_;
    bool loaded_ = false;
    bool started_ = false;
    bool loggedIn_ = false;
    std::vector<std::unique_ptr<ConfigRecord>> records_;  // handed out until ConfigFree

    EventSink sink_;
    ControlHandler control_;
    std::unique_ptr<ControlPipe> pipe_;  // only touched on the caller's thread
    std::unique_ptr<WorkingEngine> working_;  // in working mode; only touched on the caller's thread
};

}  // namespace tovelink
