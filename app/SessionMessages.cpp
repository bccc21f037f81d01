#include "app/SessionMessages.h"

#include <windows.h>

#include <string>

#include "app/RecoveryStore.h"
#include "app/res/resource.h"
#include "winfw/FwUtil.h"

namespace
{
// The string naming a file the session could not write, or 0.
unsigned NotWrittenStringId(SessionNotice nNotice)
{
    switch (nNotice)
    {
    case NOTICE_POINT_FILE_NOT_WRITTEN: return IDS_POINT_FILE_NOT_WRITTEN;
    case NOTICE_SETTINGS_NOT_WRITTEN: return IDS_SETTINGS_NOT_WRITTEN;
    case NOTICE_CRS_NOT_REMEMBERED: return IDS_CRS_NOT_REMEMBERED;
    case NOTICE_JOURNAL_NOT_WRITTEN: return IDS_JOURNAL_NOT_WRITTEN;
    default: return 0;
    }
}
}   // namespace

void TellSessionMessages(const CSessionOutcome& outcome)
{
    for (const CSessionMessage& message : outcome.messages)
    {
        if (const unsigned nId = NotWrittenStringId(message.nNotice))
            FwMessageBox(LoadResString(nId) + " " + message.strPath, MB_OK);
        else if (message.nNotice == NOTICE_NOT_FITTED)
            FwMessageBox(IDS_GEOREFERENCE_FAILED, MB_OK);
        else if (message.nNotice == NOTICE_MODEL_CANNOT_FIT)
            FwMessageBox(IDS_MODEL_CANNOT_FIT, MB_OK);
        else if (message.nNotice == NOTICE_FEATURES_NEED_FIT)
            FwMessageBox(IDS_FEATURES_NEED_FIT, MB_OK);
        else if (message.nNotice == NOTICE_FEATURES_OFF_SCAN)
            FwMessageBox(LoadResStringWith(IDS_FEATURES_OFF_SCAN, {message.strPath}), MB_OK);
        else if (message.nNotice == NOTICE_FEATURES_KEPT)
            FwMessageBox(LoadResStringWith(IDS_FEATURES_KEPT, {std::to_string(message.nCount)}),
                         MB_OK | MB_ICONINFORMATION);
        else if (message.nNotice == NOTICE_SOURCE_CHANGED)
            FwMessageBox(LoadResStringWith(IDS_FEATURES_SOURCE_CHANGED, {message.strPath}), MB_OK);
        else if (message.nNotice == NOTICE_SHAPE_KEPT)
            FwMessageBox(IDS_SHAPE_KEPT, MB_OK);
        else if (message.nNotice == NOTICE_HOLE_TOO_FEW)
            FwMessageBox(IDS_HOLE_TOO_FEW, MB_OK);
        else if (message.nNotice == NOTICE_HOLE_OUTSIDE)
            FwMessageBox(IDS_HOLE_OUTSIDE, MB_OK);
        else if (message.nNotice == NOTICE_HOLE_CROSSES)
            FwMessageBox(IDS_HOLE_CROSSES, MB_OK);
        else if (message.nNotice == NOTICE_HOLE_NEEDS_RING)
            FwMessageBox(IDS_HOLE_NEEDS_RING, MB_OK);
        else if (message.nNotice == NOTICE_HOLED_SHAPE)
            FwMessageBox(IDS_HOLED_SHAPE, MB_OK);
        else if (message.nNotice == NOTICE_POINTS_NOT_CARRIED)
            FwMessageBox(LoadResStringWith(IDS_POINTS_NOT_CARRIED, {message.strPath}), MB_OK);
        else if (message.nNotice == NOTICE_NO_CRS_OPERATION)
            FwMessageBox(LoadResStringWith(IDS_NO_CRS_OPERATION, {message.strPath}), MB_OK);
        else if (message.nNotice == NOTICE_TOO_FEW_VERTICES)
            FwMessageBox(message.nCount >= 3   ? IDS_TOO_FEW_VERTICES_POLYGON
                         : message.nCount == 2 ? IDS_TOO_FEW_VERTICES_LINE
                                               : IDS_TOO_FEW_VERTICES_POINT,
                         MB_OK);
    }
}

bool AskToRestore(const CSessionMessage& question)
{
    const std::string text = LoadResStringWith(question.nCount == 1 ? IDS_RESTORE_ONE : IDS_RESTORE_MANY,
                                               {std::to_string(question.nCount), FormatJournalTime(question.nTime)});
    return FwMessageBox(text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
