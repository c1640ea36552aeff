// What screen readers, the keyboard and high contrast find on the main window's panels beyond
// their windows.
#include "GUI/MainUnit.h"

#include <oleacc.h>

void TPelkoMainForm::SetUpAccessibility() {
    // The edit boxes' labels are drawn, not windows: the boxes carry their words themselves.
    UsernameEdit.SetAccessibleName(UsernameLabel.Caption());
    PasswordEdit.SetAccessibleName(PasswordLabel.Caption());
    UsernameLabel.SetAccessible(0);
    PasswordLabel.SetAccessible(0);

    // Created after the panels' buttons, so the links come after them in the tab order; the flag
    // becomes the last tab stop of whichever panel it moves to.
    for (ui::Label* link : {&NewuserLabel, &LostPassLabel}) {
        link->SetAccessible(ROLE_SYSTEM_LINK);
        link->SetTabStop(true);
    }
    SWUpdateImage.SetAccessible(ROLE_SYSTEM_LINK, SWUpdateImage.Hint());
    SWUpdateImage.SetTabStop(true);

    // In high contrast the panels show the system's colours instead of the background picture.
    BGImage.SetBackdrop(true);
    BGImage1.SetBackdrop(true);

    // A status picture says what the notification-area icon's hint says.
    for (const TPelkoStatus& row : pelkoStatuses) {
        if (row.statusImage) row.statusImage->SetAccessible(ROLE_SYSTEM_GRAPHIC, row.trayTipText);
    }
}
