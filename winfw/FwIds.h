// Command, control and string ids that the framework itself serves or
// recognises. The program's own ids are in app/res/resource.h.
#pragma once

// File and application commands
#define ID_FILE_NEW     57600
#define ID_FILE_OPEN    57601
#define ID_FILE_SAVE    57603
#define ID_FILE_SAVE_AS 57604
#define ID_EDIT_COPY    57634
#define ID_EDIT_CUT     57635
#define ID_EDIT_PASTE   57637
#define ID_EDIT_UNDO    57643
#define ID_APP_ABOUT    57664
#define ID_APP_EXIT     57665
#define ID_NEXT_PANE    57680
#define ID_PREV_PANE    57681

// Status bar: its window id and the indicator panes
#define ID_SEPARATOR       0
#define ID_INDICATOR_CAPS  59137
#define ID_INDICATOR_NUM   59138
#define ID_INDICATOR_SCRL  59139
#define AFX_IDW_STATUS_BAR 59393
// The progress bar of long work in the status bar (from the block of
// app/res/resource.h for large images and progress)
#define ID_STATUS_PROGRESS 1400
#define AFX_IDW_PANE_FIRST 59648
