#include "Engine.h"

#include "ConfigStore.h"
#include "Environment.h"
#include "TabLine.h"
#include "TextCodec.h"

#include <windows.h>

#include <algorithm>

namespace tovelink {

namespace {

bool SamePath(const std::string& a, const std::wstring& b) {
    std::wstring wide = Utf8ToWide(a);
    return CompareStringOrdinal(wide.c_str(), static_cast<int>(wide.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

Engine& Engine::Instance() {
    // Never destroyed: at process exit the engine's threads may still exist, and the client
    // keeps the library loaded until then.
    static Engine* engine = new Engine();
    return *engine;
}

Engine::Engine() : control_(sink_, [this] { return StatusAnswer(); }) {}

void Engine::LoadIfNeeded() {
    if (loaded_) return;
    config_ = LoadConfigFile(ConfigFilePath());
    loaded_ = true;
}

void Engine::Init(TEngineCallback callback) {
    StopThreads();  // a second initialisation starts afresh
    {
        std::lock_guard<std::mutex> lock(mutex_);
        config_ = LoadConfigFile(ConfigFilePath());
        loaded_ = true;
        started_ = false;
        loggedIn_ = false;
    }
    auto eventLog = ReadEnvironment(L"TOVELINK_EVENTLOG");
    sink_.Open(callback, eventLog ? *eventLog : std::wstring());
    if (ChooseEngineMode() == EngineMode::Working) {
        int32_t limit;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            limit = config_.maxUpload;
        }
        working_ = std::make_unique<WorkingEngine>(sink_, [this] { return Snapshot(); }, limit);
    }
    auto name = ReadEnvironment(L"TOVELINK_CONTROL");
    if (name && !name->empty()) {
        auto pipe = std::make_unique<ControlPipe>(
            [this](std::string_view line, const StopSignal& stop) {
                return control_.Answer(line, stop);
            });
        // Without the pipe the engine still works, only quietly.
        if (pipe->Start(L"\\\\.\\pipe\\" + *name)) pipe_ = std::move(pipe);
    }
}

DLLConfig* Engine::GetConfig() {
    std::lock_guard<std::mutex> lock(mutex_);
    LoadIfNeeded();
    records_.push_back(std::make_unique<ConfigRecord>(config_));
    return records_.back()->Get();
}

void Engine::ConfigFree() {
    std::lock_guard<std::mutex> lock(mutex_);
    records_.clear();
}

void Engine::SetItunes(bool enabled) {
    std::lock_guard<std::mutex> lock(mutex_);
    LoadIfNeeded();
    config_.importItunes = enabled ? 1 : 0;
    if (working_) working_->SourcesChanged();
}

void Engine::AddRoot(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    LoadIfNeeded();
    if (path.empty() || config_.roots.size() >= kMaxRoots) return;
    auto same = [&](const std::string& root) { return SamePath(root, path); };
    if (std::any_of(config_.roots.begin(), config_.roots.end(), same)) return;
    config_.roots.push_back(WideToUtf8(path));
    if (working_) working_->SourcesChanged();
}

void Engine::RemoveRoot(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    LoadIfNeeded();
    auto same = [&](const std::string& root) { return SamePath(root, path); };
    auto found = std::find_if(config_.roots.begin(), config_.roots.end(), same);
    if (found != config_.roots.end()) config_.roots.erase(found);
    if (working_) working_->SourcesChanged();
}

void Engine::SetServer(const ServerSettings& server) {
    std::lock_guard<std::mutex> lock(mutex_);
    LoadIfNeeded();
    config_.serverAddress = server.address;
    config_.serverPort = server.port;
    config_.serverHttpsPort = server.httpsPort;
    config_.disableSslCAVerify = server.disableSslCAVerify;
}

void Engine::SetCredentials(const Credentials& credentials) {
    std::lock_guard<std::mutex> lock(mutex_);
    LoadIfNeeded();
    config_.loginName = credentials.name;
    config_.loginPassword = credentials.password;
}

void Engine::SetMaxUpload(int32_t limit) {
    std::lock_guard<std::mutex> lock(mutex_);
    LoadIfNeeded();
    config_.maxUpload = limit;
    if (working_) working_->SetUploadLimit(limit);
}

void Engine::SetConfig(const EngineConfig& config) {
    std::lock_guard<std::mutex> lock(mutex_);
    config_ = config;
    loaded_ = true;
    if (working_) {
        working_->SetUploadLimit(config_.maxUpload);
        working_->SourcesChanged();
    }
}

bool Engine::SaveConfig() {
    EngineConfig copy;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        LoadIfNeeded();
        copy = config_;
    }
    return SaveConfigFile(ConfigFilePath(), copy);
}

void Engine::Start() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        started_ = true;
    }
    // Without its thread the engine cannot work; it then stays as quiet as in quiet mode.
    if (working_ && !working_->Start()) working_.reset();
}

void Engine::Login() {
    std::lock_guard<std::mutex> lock(mutex_);
    loggedIn_ = true;
    if (working_) working_->Login();
}

void Engine::Logout() {
    std::lock_guard<std::mutex> lock(mutex_);
    loggedIn_ = false;
    if (working_) working_->Logout();
}

void Engine::Shutdown() {
    StopThreads();
    sink_.LogShutdown();
    std::lock_guard<std::mutex> lock(mutex_);
    started_ = false;
    loggedIn_ = false;
}

void Engine::StopThreads() {
    sink_.Close();
    // Not under mutex_: the pipe's thread may be waiting for it to answer a status command,
    // and the working threads read the configuration under it.
    if (pipe_) {
        pipe_->Stop();
        pipe_.reset();
    }
    working_.reset();
}

EngineConfig Engine::Snapshot() {
    std::lock_guard<std::mutex> lock(mutex_);
    return config_;
}

std::string Engine::StatusAnswer() {
    std::lock_guard<std::mutex> lock(mutex_);
    TabLine line("ok");
    line.Add("started", started_ ? 1 : 0)
        .Add("loggedIn", loggedIn_ ? 1 : 0)
        .Add("itunes", config_.importItunes)
        .Add("roots", static_cast<int64_t>(config_.roots.size()));
    for (size_t i = 0; i < config_.roots.size(); ++i)
        line.Add("root" + std::to_string(i), config_.roots[i]);
    line.Add("address", config_.serverAddress)
        .Add("port", config_.serverPort)
        .Add("httpsPort", config_.serverHttpsPort)
        .Add("disableSslCAVerify", config_.disableSslCAVerify)
        .Add("user", config_.loginName)
        .Add("limit", config_.maxUpload);
    return line.Text();
}

}  // namespace tovelink
