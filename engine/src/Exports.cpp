// The sixteen entry points: each writes its call-log line, then hands over to the engine.
// Nothing thrown inside may cross back to the client.
#include "CallLog.h"
#include "ConfigRecord.h"
#include "Engine.h"
#include "TabLine.h"
#include "TextCodec.h"

#include <Tovelink.h>

namespace {

using tovelink::AppendToCallLog;
using tovelink::Engine;
using tovelink::TabLine;

template <typename Body>
void Guarded(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
        // Only memory can run out here; the call then does nothing.
    }
}

void LogCall(const char* name) { AppendToCallLog(TabLine(name)); }

std::wstring PathArgument(const wchar_t* path) {
    return tovelink::BoundedWide(path, tovelink::kMaxRootUnits);
}

}  // namespace

extern "C" {

void TOVELINK_CALL DLLAPI_initPelko(TEngineCallback callback) {
    Guarded([&] {
        LogCall("initPelko");
        Engine::Instance().Init(callback);
    });
}

PDLLConfig TOVELINK_CALL DLLAPI_getConfig(void) {
    PDLLConfig record = nullptr;
    Guarded([&] {
        LogCall("getConfig");
        record = Engine::Instance().GetConfig();
    });
    // The client reads the record without checking; an empty one is the safe answer.
    static DLLConfig empty{};
    return record ? record : &empty;
}

void TOVELINK_CALL DLLAPI_configFree(void) {
    Guarded([&] {
        LogCall("configFree");
        Engine::Instance().ConfigFree();
    });
}

void TOVELINK_CALL DLLAPI_enableItunes(void) {
    Guarded([&] {
        LogCall("enableItunes");
        Engine::Instance().SetItunes(true);
    });
}

void TOVELINK_CALL DLLAPI_disableItunes(void) {
    Guarded([&] {
        LogCall("disableItunes");
        Engine::Instance().SetItunes(false);
    });
}

void TOVELINK_CALL DLLAPI_addRoot(const wchar_t* path) {
    Guarded([&] {
        std::wstring root = PathArgument(path);
        AppendToCallLog(TabLine("addRoot").Add("path", tovelink::WideToUtf8(root)));
        Engine::Instance().AddRoot(root);
    });
}

void TOVELINK_CALL DLLAPI_removeRoot(const wchar_t* path) {
    Guarded([&] {
        std::wstring root = PathArgument(path);
        AppendToCallLog(TabLine("removeRoot").Add("path", tovelink::WideToUtf8(root)));
        Engine::Instance().RemoveRoot(root);
    });
}

void TOVELINK_CALL DLLAPI_setServer(const DLLServer* server) {
    Guarded([&] {
        if (!server) return LogCall("setServer");
        tovelink::ServerSettings settings = tovelink::ServerFromRecord(*server);
        AppendToCallLog(TabLine("setServer")
                            .Add("address", settings.address)
                            .Add("port", settings.port)
                            .Add("httpsPort", settings.httpsPort)
                            .Add("disableSslCAVerify", settings.disableSslCAVerify));
        Engine::Instance().SetServer(settings);
    });
}

void TOVELINK_CALL DLLAPI_setUserpass(const DLLUserpass* userpass) {
    Guarded([&] {
        if (!userpass) return LogCall("setUserpass");
        tovelink::Credentials credentials = tovelink::CredentialsFromRecord(*userpass);
        AppendToCallLog(TabLine("setUserpass")
                            .Add("name", credentials.name)
                            .Add("password", credentials.password));
        Engine::Instance().SetCredentials(credentials);
    });
}

void TOVELINK_CALL DLLAPI_setMaxUpload(int32_t kibPerSecond) {
    Guarded([&] {
        AppendToCallLog(TabLine("setMaxUpload").Add("limit", kibPerSecond));
        Engine::Instance().SetMaxUpload(kibPerSecond);
    });
}

void TOVELINK_CALL DLLAPI_setConfig(const DLLConfig* config) {
    Guarded([&] {
        if (!config) return LogCall("setConfig");
        tovelink::EngineConfig received = tovelink::ConfigFromRecord(*config);
        TabLine line("setConfig");
        line.Add("roots", static_cast<int64_t>(received.roots.size()));
        for (size_t i = 0; i < received.roots.size(); ++i)
            line.Add("root" + std::to_string(i), received.roots[i]);
        line.Add("address", received.serverAddress)
            .Add("port", received.serverPort)
            .Add("httpsPort", received.serverHttpsPort)
            .Add("disableSslCAVerify", received.disableSslCAVerify)
            .Add("name", received.loginName)
            .Add("password", received.loginPassword)
            .Add("maxUpload", received.maxUpload)
            .Add("runOnStartup", received.runOnStartup)
            .Add("loginOnRun", received.loginOnRun)
            .Add("importItunes", received.importItunes);
        AppendToCallLog(line);
        Engine::Instance().SetConfig(received);
    });
}

int32_t TOVELINK_CALL DLLAPI_configSave(void) {
    int32_t result = 1;
    Guarded([&] {
        LogCall("configSave");
        result = Engine::Instance().SaveConfig() ? 0 : 1;
    });
    return result;
}

void TOVELINK_CALL DLLAPI_startPelko(void) {
    Guarded([&] {
        LogCall("startPelko");
        Engine::Instance().Start();
    });
}

void TOVELINK_CALL DLLAPI_loginPelko(void) {
    Guarded([&] {
        LogCall("loginPelko");
        Engine::Instance().Login();
    });
}

void TOVELINK_CALL DLLAPI_logoutPelko(void) {
    Guarded([&] {
        LogCall("logoutPelko");
        Engine::Instance().Logout();
    });
}

void TOVELINK_CALL DLLAPI_shutdownPelko(void) {
    Guarded([&] {
        Engine::Instance().Shutdown();
        // Written last, so a test sees that nothing can follow it.
        LogCall("shutdownPelko");
    });
}

}  // extern "C"
