// Resource ids of tavoinst.dll.
#pragma once

#define IDD_LANGUAGE 1000
#define IDC_VERSIONS 2000

#define IDD_PROGRESS 2000
#define IDC_PICTURE  2001
#define IDC_MESSAGE  2004

// The three frames of the progress picture.
#define IDB_FRAME1 2001
#define IDB_FRAME2 2002
#define IDB_FRAME3 2003
