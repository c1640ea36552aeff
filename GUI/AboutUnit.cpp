#include "GUI/AboutUnit.h"

std::unique_ptr<TAboutForm> AboutForm;

bool TAboutForm::Create(HWND mainWindow) {
    ui::WindowClass cls;
    cls.name = L"TAboutForm";
    ui::CreateArgs args;
    args.style = WS_POPUP;
    args.exStyle = WS_EX_LAYERED;
    args.parent = mainWindow;
    return CreateHandle(cls, args);
}

void TAboutForm::ShowAbout() {}
