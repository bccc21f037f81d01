// The application object of quarvex.exe.
#pragma once

#include "winfw/WinApp.h"

class CImageApp : public CWinApp
{
public:
    CImageApp();
    BOOL InitInstance() override;
};
