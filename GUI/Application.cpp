#include "GUI/Application.h"

ui::MessageLoop& Application() {
    static ui::MessageLoop loop;
    return loop;
}
