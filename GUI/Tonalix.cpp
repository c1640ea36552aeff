// Program entry: one running instance per desktop session, three windows, the message loop.
#include "GUI/AboutUnit.h"
#include "GUI/Application.h"
#include "GUI/MainUnit.h"
#include "GUI/MultipleInstancePrevention.h"
#include "GUI/OptionsUnit.h"
#include "GUI/VersionInfo.h"
#include "GUI/WindowMessages.h"
#include "ui/ComApartment.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cwchar>

namespace {

const wchar_t kInstanceMutex[] = L"Local\\Tonalix.Client.Instance";
// How long a start that lost the race waits for the winner's window.
constexpr DWORD kWaitForRunningInstanceMs = 10000;

bool StartMinimized() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return false;
    const bool minimized = argc > 1 && std::wcscmp(argv[1], L"/minimized") == 0;
    LocalFree(argv);
    return minimized;
}

int Run() {
    ProgramVersion = std::make_unique<TVersionInfo>();
    TMultipleInstance instance;
    if (instance.IsAllreadyStarted(kMainWindowClass) || !instance.ClaimInstance(kInstanceMutex)) {
        // Another start owns the session; its window may still be on its way.
        instance.WaitForWindow(kMainWindowClass, kWaitForRunningInstanceMs);
        instance.ShowApplication(kMainWindowClass, WM_SHOW_REQUEST);
        return 0;
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    // The window thread is a COM apartment until the windows are gone.
    const ui::ComApartment com;

    int exitCode = 0;
    {
        TPelkoMainForm mainForm;
        if (mainForm.Create(!StartMinimized())) {
            OptionsForm = std::make_unique<TOptionsForm>();
            (void)OptionsForm->Create(mainForm.Handle());
            if (CreateAboutForm(mainForm.Handle())) {
                exitCode = Application().Run();
            } else {
                mainForm.EnableClose = true;
                exitCode = 1;
            }
        }
        // Reverse order of creation; the main window's destruction shuts the engine down.
        AboutForm.reset();
        OptionsForm.reset();
    }
    ProgramVersion.reset();
    return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        return Run();
    } catch (...) {
        return 1;
    }
}
