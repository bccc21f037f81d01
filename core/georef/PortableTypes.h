// Plain integer results shared by the portable core and the Win32 code.
// The values match <windows.h>, so both may be included in one unit.
#pragma once

typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
