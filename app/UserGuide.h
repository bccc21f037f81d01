// The user guide: HTML pages in the "guide" folder beside the program, one
// page for each dialog and tool window, opened in the user's browser.
#pragma once

#include <windows.h>

// The guide's page for a dialog or tool window's template id; the contents
// page for the main window (0) and for any window without a page of its own.
const char* GuidePageFor(UINT nTemplateId);

// Opens that page; tells the user when it cannot.
bool OpenUserGuide(UINT nTemplateId);
