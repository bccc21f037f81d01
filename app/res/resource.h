// Every resource id of quarvex.exe. The framework's own command ids
// (Open, Save As, Copy, About...) come from winfw/FwIds.h.
#pragma once

#include "winfw/FwIds.h"

// Menu, accelerator table, icon and template string share this id.
#define IDR_MAINFRAME 128

// Beyond the first build's ids, each area has blocks of its own:
//   area                     dialogs  controls   commands     strings
//   Transpose and Copy       -        -          -            200-299
//   control points, undo     200-219  1100-1199  32800-32819  300-399
//   coordinate systems,      220-239  1200-1299  32820-32839  400-499
//     export
//   recovery, features       240-259  1300-1399  32840-32859  500-599
//   large images, progress   260-279  1400-1499  32860-32879  600-699

// Dialog templates
#define IDD_ABOUTBOX   100
#define IDD_GEOREF     130
#define IDD_ADDFEATURE 131
#define IDD_DIGITISE   132

// The cursor shown while digitising
#define IDC_DIGITISE_CURSOR 153

// Controls
#define IDC_EASTING      1000
#define IDC_NORTHING     1001
#define IDC_ADD          1002
#define IDC_DELETE_ALL   1003
#define IDC_FEATURE_NAME 1004
#define IDC_BUILD_DATE   1005
#define IDC_POLYLINES    1009
#define IDC_POLYGONS     1010
#define IDC_POINTS       1011
#define IDC_ABOUT_GROUP  1262

// The program's own commands
#define ID_VIEW_ZOOM100         32771
#define ID_VIEW_ZOOM200         32772
#define ID_VIEW_ZOOM400         32773
#define ID_VIEW_GEOREFERENCE    32774
#define ID_VIEW_DIGITISE        32775
#define ID_VIEW_TRANSPOSE       32776
#define ID_EDIT_DIGITISE_COLOUR 32778
#define ID_EDIT_PREVIOUS_COLOUR 32779

// String table
#define IDS_FILE_SAVED_AS          129
#define IDS_SAVE_ERROR             130
#define IDS_INVALID_VALUES         132
#define IDS_DELETE_ALL_GEOREFS     133
#define IDS_LOADING                134
#define IDS_JPG_READ_ERROR         135
#define IDS_UNABLE_TO_OPEN         136
#define IDS_SAVE_POLYLINES         137
#define IDS_GEOREFERENCE_HINT      138
#define IDS_DIGITISE_HINT          139
#define IDS_TRANSPOSED_HINT        140
#define IDS_GEOREFERENCE_FAILED    141
#define IDS_CROP_QUESTION          142
#define IDS_CALCULATING            143
#define IDS_COPYING                144
#define IDS_BUILD_DATE             145
#define IDS_NORTH                  146
#define IDS_EAST                   147
#define IDS_SOUTH                  148
#define IDS_WEST                   149
#define IDS_SHAPE_FILES            150
#define IDS_SWITCH_TO_GEOREFERENCE 151

// Transpose and Copy
#define IDS_TRANSPOSE_FAILED          200
#define IDS_TRANSPOSE_NO_IMAGE        201
#define IDS_TRANSPOSE_NOT_FITTED      202
#define IDS_TRANSPOSE_NO_POINTS       203
#define IDS_TRANSPOSE_SAME_COLUMN     204
#define IDS_TRANSPOSE_SAME_ROW        205
#define IDS_TRANSPOSE_SAME_MAP_X      206
#define IDS_TRANSPOSE_SAME_MAP_Y      207
#define IDS_TRANSPOSE_BAD_MAP_EXTENTS 208
#define IDS_TRANSPOSE_TOO_LARGE       209
#define IDS_TRANSPOSE_OUT_OF_MEMORY   210
#define IDS_WORLD_FILE_NOT_WRITTEN    211
#define IDS_WORLD_FILE_WITHOUT_PATH   212
#define IDS_COPY_NO_BITMAP            213
#define IDS_COPY_CLIPBOARD_BUSY       214
#define IDS_COPY_CLIPBOARD_REFUSED    215

// Large images and progress: the progress bar in the status bar is
// ID_STATUS_PROGRESS (1400, winfw/FwIds.h).
