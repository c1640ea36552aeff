// The engine library's C interface: the sixteen entry points, the event callback
// and the byte-packed records that cross between client and engine.
// Calling convention: cdecl, undecorated export names.
#pragma once

#include <stdint.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  if defined(TOVELINK_BUILD)
#    define TOVELINK_API __declspec(dllexport)
#  else
#    define TOVELINK_API __declspec(dllimport)
#  endif
#  define TOVELINK_CALL __cdecl
#else
#  define TOVELINK_API
#  define TOVELINK_CALL
#endif

#define TOVELINK_MAX_ROOTS 32
#define TOVELINK_SERVER_ADDRESS_SIZE 128
#define TOVELINK_USERNAME_SIZE 201
#define TOVELINK_PASSWORD_SIZE 41

#pragma pack(push, 1)

typedef struct DLLConfig {
    const wchar_t* indexerRoots[TOVELINK_MAX_ROOTS];
    uint32_t indexerRootCount;
    char serverAddress[TOVELINK_SERVER_ADDRESS_SIZE];
    char loginName[TOVELINK_USERNAME_SIZE];
    char loginPassword[TOVELINK_PASSWORD_SIZE];
    uint16_t serverPort;
    uint16_t serverHttpsPort;
    int32_t disableSslCAVerify;
    int32_t maxUpload;
    uint32_t runOnStartup;
    uint32_t loginOnRun;
    uint32_t importItunes;
} DLLConfig, *PDLLConfig;

typedef struct DLLServer {
    char serverAddress[TOVELINK_SERVER_ADDRESS_SIZE];
    uint16_t serverPort;
    uint16_t serverHttpsPort;
    int32_t disableSslCAVerify;
} DLLServer, *PDLLServer;

typedef struct DLLUserpass {
    char loginName[TOVELINK_USERNAME_SIZE];
    char loginPassword[TOVELINK_PASSWORD_SIZE];
} DLLUserpass, *PDLLUserpass;

#pragma pack(pop)

// Event function handed to DLLAPI_initPelko; called on engine threads. Returns 0.
typedef int32_t (TOVELINK_CALL* TEngineCallback)(int32_t code, int32_t param1, int32_t param2,
                                                 int32_t param3, const wchar_t* text);

TOVELINK_API void TOVELINK_CALL DLLAPI_initPelko(TEngineCallback callback);
TOVELINK_API PDLLConfig TOVELINK_CALL DLLAPI_getConfig(void);
TOVELINK_API void TOVELINK_CALL DLLAPI_configFree(void);
TOVELINK_API void TOVELINK_CALL DLLAPI_enableItunes(void);
TOVELINK_API void TOVELINK_CALL DLLAPI_disableItunes(void);
TOVELINK_API void TOVELINK_CALL DLLAPI_addRoot(const wchar_t* path);
TOVELINK_API void TOVELINK_CALL DLLAPI_removeRoot(const wchar_t* path);
TOVELINK_API void TOVELINK_CALL DLLAPI_setServer(const DLLServer* server);
TOVELINK_API void TOVELINK_CALL DLLAPI_setUserpass(const DLLUserpass* userpass);
TOVELINK_API void TOVELINK_CALL DLLAPI_setMaxUpload(int32_t kibPerSecond);
TOVELINK_API void TOVELINK_CALL DLLAPI_setConfig(const DLLConfig* config);
TOVELINK_API int32_t TOVELINK_CALL DLLAPI_configSave(void);
TOVELINK_API void TOVELINK_CALL DLLAPI_startPelko(void);
TOVELINK_API void TOVELINK_CALL DLLAPI_loginPelko(void);
TOVELINK_API void TOVELINK_CALL DLLAPI_logoutPelko(void);
TOVELINK_API void TOVELINK_CALL DLLAPI_shutdownPelko(void);

#ifdef __cplusplus
}  // extern "C"

#include <cstddef>
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(DLLConfig) == 526, "DLLConfig is 526 bytes on 32-bit");
static_assert(offsetof(DLLConfig, indexerRootCount) == 128, "DLLConfig layout");
static_assert(offsetof(DLLConfig, serverAddress) == 132, "DLLConfig layout");
static_assert(offsetof(DLLConfig, loginName) == 260, "DLLConfig layout");
static_assert(offsetof(DLLConfig, loginPassword) == 461, "DLLConfig layout");
static_assert(offsetof(DLLConfig, serverPort) == 502, "DLLConfig layout");
static_assert(offsetof(DLLConfig, serverHttpsPort) == 504, "DLLConfig layout");
static_assert(offsetof(DLLConfig, disableSslCAVerify) == 506, "DLLConfig layout");
static_assert(offsetof(DLLConfig, maxUpload) == 510, "DLLConfig layout");
static_assert(offsetof(DLLConfig, runOnStartup) == 514, "DLLConfig layout");
static_assert(offsetof(DLLConfig, loginOnRun) == 518, "DLLConfig layout");
static_assert(offsetof(DLLConfig, importItunes) == 522, "DLLConfig layout");
static_assert(sizeof(DLLServer) == 136 && offsetof(DLLServer, serverPort) == 128 &&
                  offsetof(DLLServer, serverHttpsPort) == 130 &&
                  offsetof(DLLServer, disableSslCAVerify) == 132,
              "DLLServer layout");
static_assert(sizeof(DLLUserpass) == 242 && offsetof(DLLUserpass, loginPassword) == 201,
              "DLLUserpass layout");
#endif
#endif
