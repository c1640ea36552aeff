// The program's version, shared by the resource script and the code.
#pragma once

#define TONALIX_VERSION_MAJOR 1
#define TONALIX_VERSION_MINOR 0
#define TONALIX_VERSION_RELEASE 0
#define TONALIX_VERSION_BUILD 5233

#define TONALIX_VERSION_COMMA 1,0,0,5233
#define TONALIX_VERSION_TEXT "1.0.0.5233"
