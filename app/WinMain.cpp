#include <windows.h>

#include "app/ImageApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CImageApp app;
    return FwWinMain(app);
}
