// The program's message loop, shared by the entry point and the start-up sequence (idle handler).
#pragma once

#include "ui/MessageLoop.h"

ui::MessageLoop& Application();
