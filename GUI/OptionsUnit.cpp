#include "GUI/OptionsUnit.h"

std::unique_ptr<TOptionsForm> OptionsForm;

bool TOptionsForm::Create(HWND mainWindow) {
    ui::WindowClass cls;
    cls.name = L"TOptionsForm";
    ui::CreateArgs args;
    args.style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    args.title = L"Options";
    args.parent = mainWindow;
    return CreateHandle(cls, args);
}

void TOptionsForm::ShowModalOnPage(int) {}

void FirstRunPrompt() {}
