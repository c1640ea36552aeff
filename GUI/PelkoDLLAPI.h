// The engine library's entry points, bound by name when the program loads (import library).
#pragma once

#include <Tovelink.h>
