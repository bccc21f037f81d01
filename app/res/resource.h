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
//   vertex editing, snapping 280-299  1500-1599  32880-32899  700-799

// Dialog templates
#define IDD_ABOUTBOX   100
#define IDD_GEOREF     130
#define IDD_ADDFEATURE 131
#define IDD_DIGITISE   132

// Control points, undo
#define IDD_CONTROL_POINTS 200

// Coordinate systems
#define IDD_CRS 220

// Recovery, features
#define IDD_FEATURES 240

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

// Control points, undo
#define IDC_CP_LIST            1100
#define IDC_CP_FIT_MODEL       1101
#define IDC_CP_RMS_FIRST       1102
#define IDC_CP_RMS_HELMERT     1103
#define IDC_CP_RMS_AFFINE      1104
#define IDC_CP_PARAMETERS      1105
#define IDC_CP_HINTS           1106
#define IDC_CP_DELETE          1107
#define IDC_CP_EDIT            1108
#define IDC_CP_EXAGGERATION    1109
#define IDC_CP_FIT_LABEL       1110
#define IDC_CP_RMS_LABEL       1111
#define IDC_CP_VECTORS_LABEL   1112
#define IDC_CP_RMS_FILE        1113
#define IDC_CP_RMS_PROJECTIVE  1114
#define IDC_CP_RMS_POLYNOMIAL2 1115
#define IDC_CP_RMS_POLYNOMIAL3 1116
#define IDC_CP_RMS_TPS         1117

// Coordinate systems
#define IDC_CRS_CURRENT 1200
#define IDC_CRS_SEARCH  1201
#define IDC_CRS_LIST    1202
#define IDC_CRS_NONE    1203
#define IDC_CRS_AREA    1204
#define IDC_CRS_COUNT   1205

// Recovery, features
#define IDC_FEATURES_LIST    1300
#define IDC_FEATURES_RENAME  1301
#define IDC_FEATURES_DELETE  1302
#define IDC_FEATURES_SUMMARY 1303

// The program's own commands
#define ID_VIEW_ZOOM100         32771
#define ID_VIEW_ZOOM200         32772
#define ID_VIEW_ZOOM400         32773
#define ID_VIEW_GEOREFERENCE    32774
#define ID_VIEW_DIGITISE        32775
#define ID_VIEW_TRANSPOSE       32776
#define ID_EDIT_DIGITISE_COLOUR 32778
#define ID_EDIT_PREVIOUS_COLOUR 32779

// Control points, undo
#define ID_EDIT_REDO           32800
#define ID_VIEW_CONTROL_POINTS 32801

// Coordinate systems
#define ID_VIEW_COORDINATE_SYSTEM 32820

// Recovery, features
#define ID_VIEW_FEATURES 32840

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

// Control points, undo
#define IDS_UNDO                     300
#define IDS_REDO                     301
#define IDS_UNDO_KEY                 302
#define IDS_REDO_KEY                 303
#define IDS_EDIT_ADD_POINT           304
#define IDS_EDIT_DELETE_POINT        305
#define IDS_EDIT_EDIT_POINT          306
#define IDS_EDIT_MOVE_POINT          307
#define IDS_EDIT_DELETE_ALL_POINTS   308
#define IDS_EDIT_FIT_MODEL           309
#define IDS_EDIT_ADD_VERTEX          310
#define IDS_EDIT_REMOVE_VERTEX       311
#define IDS_EDIT_FINISH_FEATURE      312
#define IDS_EDIT_DISCARD_FEATURE     313
#define IDS_EDIT_DELETE_ALL_FEATURES 314
#define IDS_EDIT_RENAME_FEATURE      315
#define IDS_EDIT_DELETE_FEATURE      316
#define IDS_POINT_FILE_NOT_WRITTEN   317
#define IDS_SETTINGS_NOT_WRITTEN     318
#define IDS_MODEL_CANNOT_FIT         319
#define IDS_FIT_ROTATION_SCALES      320
#define IDS_FIT_HELMERT              321
#define IDS_FIT_AFFINE               322
#define IDS_FIT_FROM_FILE            323
#define IDS_CP_COLUMN_NUMBER         330
#define IDS_CP_COLUMN_PIXEL_X        331
#define IDS_CP_COLUMN_PIXEL_Y        332
#define IDS_CP_COLUMN_TYPED_X        333
#define IDS_CP_COLUMN_TYPED_Y        334
#define IDS_CP_COLUMN_MAP_X          335
#define IDS_CP_COLUMN_MAP_Y          336
#define IDS_CP_COLUMN_DX             337
#define IDS_CP_COLUMN_DY             338
#define IDS_CP_COLUMN_ERROR          339
#define IDS_CP_COLUMN_DX_PIXELS      340
#define IDS_CP_COLUMN_DY_PIXELS      341
#define IDS_CP_COLUMN_ERROR_PIXELS   342
#define IDS_CP_COLUMN_NOTE           343
#define IDS_CP_NOTE_WORST            344
#define IDS_CP_NOTE_OUTLIER          345
#define IDS_CP_RMS                   346
#define IDS_CP_PIXELS                347
#define IDS_CP_NEEDS_ONE_MORE        348
#define IDS_CP_NEEDS_MORE            349
#define IDS_CP_NEEDS_MORE_AFTER      350
#define IDS_CP_NO_FIT                351
#define IDS_CP_ROTATION              352
#define IDS_CP_DEGREES               353
#define IDS_CP_SCALE_X               354
#define IDS_CP_SCALE_Y               355
#define IDS_HINT_SCALES_OPPOSITE     360
#define IDS_HINT_SCALES_UNEQUAL      361
#define IDS_HINT_POINTS_ON_A_LINE    362
#define IDS_HINT_OUTLIER             363
#define IDS_HINT_OUTLIER_AFTER       364
#define IDS_EDIT_GEOREF_CAPTION      365
#define IDS_EDIT_GEOREF_OK           366
#define IDS_EDIT_MOVE_FEATURE        367

// Coordinate systems
#define IDS_CRS_NONE           400
#define IDS_CRS_COLUMN_CODE    401
#define IDS_CRS_COLUMN_NAME    402
#define IDS_CRS_COLUMN_AREA    403
#define IDS_CRS_ALL            404
#define IDS_CRS_FOUND          405
#define IDS_CRS_NO_MATCH       406
#define IDS_CRS_NOT_REMEMBERED 407
#define IDS_CRS_AREA_OF_USE    408

// Export GeoTIFF (dialogs 230-239, controls 1250-1299 but 1262, commands
// 32830-32839, strings 450-499)
#define IDD_EXPORT_GEOTIFF         230
#define IDC_GEOTIFF_WHOLE_IMAGE    1250
#define IDC_GEOTIFF_CONTROL_POINTS 1251
#define IDC_GEOTIFF_PIXEL_SIZE     1252
#define IDC_GEOTIFF_DEFAULT_SIZE   1253
#define IDC_GEOTIFF_OUTPUT_SIZE    1254
#define IDC_GEOTIFF_RESAMPLING     1255
#define IDC_GEOTIFF_COMPRESSION    1256
#define IDC_GEOTIFF_QUALITY_LABEL  1257
#define IDC_GEOTIFF_JPEG_QUALITY   1258
#define ID_FILE_EXPORT_GEOTIFF     32830
#define IDS_GEOTIFF_FILES          450
#define IDS_GEOTIFF_NEAREST        451
#define IDS_GEOTIFF_BILINEAR       452
#define IDS_GEOTIFF_CUBIC          453
#define IDS_GEOTIFF_DEFLATE        454
#define IDS_GEOTIFF_JPEG           455
#define IDS_GEOTIFF_UNCOMPRESSED   456
#define IDS_GEOTIFF_DEFAULT_SIZE   457
#define IDS_GEOTIFF_OUTPUT_SIZE    458
#define IDS_GEOTIFF_PROGRESS       459
#define IDS_GEOTIFF_EXPORTED       460
#define IDS_GEOTIFF_CANCELLED      461
#define IDS_GEOTIFF_WRITE_FAILED   462
#define IDS_GEOTIFF_CANNOT_CREATE  463
#define IDS_GEOTIFF_OUT_OF_MEMORY  464
#define IDS_GEOTIFF_IS_SCAN        465
#define IDS_GEOTIFF_BAD_PIXEL_SIZE 466
#define IDS_GEOTIFF_BAD_QUALITY    467
#define IDS_GEOTIFF_NO_POINTS      468
#define IDS_GEOTIFF_TOO_LARGE      469
#define IDS_GEOTIFF_NOT_INVERTIBLE 470
#define IDS_GEOTIFF_BAD_EXTENT     471
#define IDS_GEOTIFF_BAD_CRS        472
#define IDS_GEOTIFF_NO_IMAGE       473

// Large images and progress: the progress bar in the status bar is
// ID_STATUS_PROGRESS (1400, winfw/FwIds.h).

// Recovery, features
#define IDS_RESTORE_ONE              500
#define IDS_RESTORE_MANY             501
#define IDS_JOURNAL_NOT_WRITTEN      502
#define IDS_FEATURES_COLUMN_NUMBER   510
#define IDS_FEATURES_COLUMN_NAME     511
#define IDS_FEATURES_COLUMN_TYPE     512
#define IDS_FEATURES_COLUMN_VERTICES 513
#define IDS_FEATURES_COLUMN_LENGTH   514
#define IDS_FEATURES_COLUMN_AREA     515
#define IDS_FEATURES_COLUMN_SIZE     516
#define IDS_FEATURE_TYPE_POINT       517
#define IDS_FEATURE_TYPE_POLYLINE    518
#define IDS_FEATURE_TYPE_POLYGON     519
#define IDS_FEATURES_NO_FIT          520
#define IDS_FEATURES_LENGTH_UNITS    521
#define IDS_FEATURES_AREA_UNITS      522
#define IDS_FEATURES_POINTS          523
#define IDS_RENAME_FEATURE_CAPTION   524
#define IDS_RENAME_FEATURE_OK        525
#define IDS_RENAME_FEATURE_CANCEL    526

// Scan formats
#define IDS_OPEN_FILTER 600

// An image's own georeference
#define IDS_FILE_GEOREF_ASK       610
#define IDS_FILE_GEOREF_KEYS      611
#define IDS_FILE_GEOREF_WORLD     612
#define IDS_FILE_GEOREF_EPSG      613
#define IDS_FIT_PROJECTIVE        620
#define IDS_FIT_POLYNOMIAL2       621
#define IDS_FIT_POLYNOMIAL3       622
#define IDS_FIT_TPS               623
#define IDS_CP_COLUMN_LEFT_OUT    624
#define IDS_CP_NOTE_OFF           625
#define IDS_EDIT_SWITCH_POINT     626
#define IDS_CP_FITTED_WHEN_CHOSEN 627

// Opening features from a Shapefile (commands 32850-32859, strings 540-559)
#define ID_FILE_OPEN_FEATURES       32850
#define IDS_FEATURES_NEED_FIT       540
#define IDS_FEATURES_NOT_READ       541
#define IDS_FEATURES_CRS_DIFFERS    542
#define IDS_FEATURES_KEPT           543
#define IDS_FEATURES_OFF_SCAN       544
#define IDS_FEATURES_SOURCE_CHANGED 545
#define IDS_FILE_SAVED              546

// Vertex editing and snapping
#define IDD_SNAP_TOLERANCE           280
#define IDC_SNAP_TOLERANCE           1500
#define ID_VIEW_EDIT_VERTICES        32880
#define ID_VIEW_SNAP                 32881
#define ID_VIEW_SNAP_TOLERANCE       32882
#define IDS_EDIT_MOVE_VERTEX         700
#define IDS_EDIT_INSERT_VERTEX       701
#define IDS_EDIT_DELETE_VERTEX       702
#define IDS_ABANDON_FEATURE          703
#define IDS_TOO_FEW_VERTICES_POLYGON 704
#define IDS_TOO_FEW_VERTICES_LINE    705
#define IDS_TOO_FEW_VERTICES_POINT   706
#define IDS_EDIT_VERTICES_HINT       707
#define IDS_SNAP_VERTEX              708
#define IDS_SNAP_SEGMENT             709
#define IDS_SNAP_TOLERANCE_BAD       710
#define IDS_SHAPE_KEPT               711
#define IDS_GEOPACKAGE_FILES         712

// A scan shown at a reduced resolution
#define IDS_SHOWN_REDUCED        630
#define IDS_SHOWN_REDUCED_SHORT  631
#define IDS_TRANSPOSE_REDUCED    632
#define IDS_GEOTIFF_REDUCED      633
#define IDS_REDUCED_NEEDS_AFFINE 634

// Control points to and from other tools, the scan's world file, the fit report
#define ID_FILE_IMPORT_POINTS     32900
#define ID_FILE_EXPORT_POINTS     32901
#define ID_FILE_EXPORT_GDAL       32902
#define ID_FILE_EXPORT_IIIF       32903
#define ID_FILE_SAVE_WORLD_FILE   32904
#define ID_FILE_EXPORT_FIT_REPORT 32905
#define IDS_POINTS_FILES          800
#define IDS_VRT_FILES             801
#define IDS_IIIF_FILES            802
#define IDS_REPORT_FILES          803
#define IDS_POINTS_NOT_READ       804
#define IDS_POINTS_NO_HEADER      805
#define IDS_POINTS_BAD_RECORD     806
#define IDS_POINTS_NONE           807
#define IDS_POINTS_REPLACE_ASK    808
#define IDS_EDIT_REPLACE_POINTS   809
#define IDS_EXPORT_WRITTEN        810
#define IDS_EXPORT_NOT_WRITTEN    811
#define IDS_EXPORT_NOT_READ       812
#define IDS_GDAL_WRITTEN          813
#define IDS_GDAL_ON_CLIPBOARD     814
#define IDS_GDAL_CLIPBOARD_FAILED 815
#define IDS_GDAL_PROJECTIVE       816
#define IDS_WORLD_FILE_REPLACE    817
// Tracing a neighbour's border and lines on the scan (commands 32930-32939, strings 850-869)
#define ID_VIEW_TRACE_NEIGHBOUR  32930
#define ID_VIEW_TRACE_LINES      32931
#define IDS_EDIT_TRACE_NEIGHBOUR 850
#define IDS_EDIT_TRACE_LINE      851
#define IDS_TRACE_HINT           852
#define IDS_NO_NEIGHBOUR_STRETCH 853
// Names in any script
#define IDS_SHAPE_FILES_UTF8 950
// Attribute fields: the Features window as a table, the field dialog, the
// fields in the name dialog
#define IDD_FIELD                 1700
#define IDC_FIELD_NAME            1701
#define IDC_FIELD_TYPE            1702
#define IDC_FIELD_WIDTH           1703
#define IDC_FIELD_DECIMALS        1704
#define IDC_FIELD_DEFAULT         1705
#define IDC_FIELD_REUSE           1706
#define IDC_FEATURES_ADD_FIELD    1707
#define IDC_FEATURES_FIELD        1708
#define IDC_FEATURES_REMOVE_FIELD 1709
#define IDC_FEATURES_CELL         1710
// The name dialog's field labels and boxes, one pair a field
#define IDC_FEATURE_FIELD_LABEL  1712
#define IDC_FEATURE_FIELD_VALUE  1730
#define kFeatureDialogFields     18
#define IDS_FIELD_NOT_INTEGER    870
#define IDS_FIELD_INTEGER_WIDE   871
#define IDS_FIELD_NOT_REAL       872
#define IDS_FIELD_DECIMALS       873
#define IDS_FIELD_REAL_WIDE      874
#define IDS_FIELD_NOT_DATE       875
#define IDS_FIELD_TEXT_LONG      876
#define IDS_FIELD_BAD_NAME       877
#define IDS_FIELD_LONG_NAME      878
#define IDS_FIELD_NAME_TAKEN     879
#define IDS_FIELD_BAD_WIDTH      880
#define IDS_FIELD_BAD_DECIMALS   881
#define IDS_FIELD_TYPE_TEXT      882
#define IDS_FIELD_TYPE_INTEGER   883
#define IDS_FIELD_TYPE_REAL      884
#define IDS_FIELD_TYPE_DATE      885
#define IDS_FIELD_ADD_CAPTION    886
#define IDS_FIELD_CHANGE_CAPTION 887
#define IDS_FIELD_REMOVE_ASK     888
#define IDS_EDIT_EDIT_VALUE      889
#define IDS_EDIT_ADD_FIELD       890
#define IDS_EDIT_REMOVE_FIELD    891
#define IDS_EDIT_CHANGE_FIELD    892
#define IDS_FIELD_DEFAULT_BAD    893
#define IDS_FIELD_CODE_PAGE      894
#define IDS_NAME_CODE_PAGE       895
// The user guide and the About box's links (commands 32970-32979, strings
// 960-979, controls 1800-1829)
#define ID_HELP_USER_GUIDE          32970
#define IDS_SHIPPED_FILE_MISSING    960
#define IDS_SHIPPED_FILE_NOT_OPENED 961
#define IDC_ABOUT_GUIDE             1800
#define IDC_ABOUT_LICENCE           1801
// The start page, and the tips on the tool windows' and dialogs' controls
#define ID_HELP_GETTING_STARTED       32980
#define IDD_START_PAGE                1830
#define IDC_START_TITLE               1831
#define IDC_START_STEPS               1832
#define IDC_START_KEYS                1833
#define IDC_START_SHOW                1834
#define IDC_START_OPEN                1835
#define IDC_START_CLOSE               1836
#define IDS_START_TITLE               980
#define IDS_START_STEPS               981
#define IDS_START_KEYS                982
#define IDS_TIP_CP_LIST               983
#define IDS_TIP_CP_DELETE             984
#define IDS_TIP_CP_EDIT               985
#define IDS_TIP_CP_VECTORS            986
#define IDS_TIP_CP_FIT_MODEL          987
#define IDS_TIP_CP_PARAMETERS         988
#define IDS_TIP_CP_RMS                989
#define IDS_TIP_CP_HINTS              990
#define IDS_TIP_FEATURES_LIST         991
#define IDS_TIP_FEATURES_RENAME       992
#define IDS_TIP_FEATURES_DELETE       993
#define IDS_TIP_FEATURES_ADD_FIELD    994
#define IDS_TIP_FEATURES_FIELD        995
#define IDS_TIP_FEATURES_REMOVE_FIELD 996
#define IDS_TIP_FEATURES_SUMMARY      997
#define IDS_TIP_GEOTIFF_PIXEL_SIZE    998
#define IDS_TIP_FIELD_REUSE           999
// Polygons with holes (commands 32920-32929, strings 830-849)
#define ID_VIEW_ADD_HOLE    32920
#define IDS_EDIT_ADD_HOLE   830
#define IDS_HOLE_TOO_FEW    831
#define IDS_HOLE_OUTSIDE    832
#define IDS_HOLE_CROSSES    833
#define IDS_HOLE_NEEDS_RING 834
#define IDS_HOLED_SHAPE     835
#define IDS_HOLE_HINT       836
// Features opened from a GeoPackage
#define IDD_CHOOSE_LAYER        1750
#define IDC_LAYER_LIST          1751
#define IDS_GEOPACKAGE_NOT_READ 900
#define IDS_GEOPACKAGE_NO_LAYER 901
#define IDS_FEATURE_FILES       902
// Control points typed in another coordinate system than the output's
#define IDC_CRS_POINTS           1770
#define IDC_CRS_POINTS_FROM_LIST 1771
#define IDC_CP_CRS               1772
#define IDC_CP_USE_SUGGESTED_CRS 1773
#define IDS_CRS_POINTS_SAME      920
#define IDS_POINTS_NOT_CARRIED   921
#define IDS_NO_CRS_OPERATION     922
#define IDS_CP_CARRIED           923
#define IDS_CP_NOTE_NOT_CARRIED  924
#define IDS_CP_USE_CRS           925
#define IDS_CP_SUGGEST_CRS       926
#define IDS_TIP_CP_CRS           927
#define IDS_TIP_CP_USE_CRS       928
