#include "app/DocumentCommands.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "core/crs/CrsCatalogue.h"
#include "core/crs/CrsSettings.h"
#include "core/georef/NumberFormat.h"
#include "app/CrsDlg.h"
#include "app/SessionMessages.h"
#include "app/res/resource.h"
#include "winfw/FwUtil.h"

namespace
{
// The string-table id naming an edit in the Undo and Redo items.
unsigned EditNameStringId(EditName name)
{
    static const struct
    {
        EditName name;
        unsigned nStringId;
    } kNames[] = {
        {EditName::AddPoint, IDS_EDIT_ADD_POINT},
        {EditName::DeletePoint, IDS_EDIT_DELETE_POINT},
        {EditName::MovePoint, IDS_EDIT_MOVE_POINT},
        {EditName::EditPoint, IDS_EDIT_EDIT_POINT},
        {EditName::DeleteAllPoints, IDS_EDIT_DELETE_ALL_POINTS},
        {EditName::FitModel, IDS_EDIT_FIT_MODEL},
        {EditName::SwitchPoint, IDS_EDIT_SWITCH_POINT},
        {EditName::ReplacePoints, IDS_EDIT_REPLACE_POINTS},
        {EditName::AddVertex, IDS_EDIT_ADD_VERTEX},
        {EditName::RemoveVertex, IDS_EDIT_REMOVE_VERTEX},
        {EditName::FinishFeature, IDS_EDIT_FINISH_FEATURE},
        {EditName::DiscardFeature, IDS_EDIT_DISCARD_FEATURE},
        {EditName::DeleteAllFeatures, IDS_EDIT_DELETE_ALL_FEATURES},
        {EditName::RenameFeature, IDS_EDIT_RENAME_FEATURE},
        {EditName::DeleteFeature, IDS_EDIT_DELETE_FEATURE},
        {EditName::MoveFeature, IDS_EDIT_MOVE_FEATURE},
        {EditName::MoveVertex, IDS_EDIT_MOVE_VERTEX},
        {EditName::InsertVertex, IDS_EDIT_INSERT_VERTEX},
        {EditName::DeleteVertex, IDS_EDIT_DELETE_VERTEX},
        {EditName::TraceNeighbour, IDS_EDIT_TRACE_NEIGHBOUR},
        {EditName::TraceLine, IDS_EDIT_TRACE_LINE},
        {EditName::EditValue, IDS_EDIT_EDIT_VALUE},
        {EditName::AddField, IDS_EDIT_ADD_FIELD},
        {EditName::RemoveField, IDS_EDIT_REMOVE_FIELD},
        {EditName::ChangeField, IDS_EDIT_CHANGE_FIELD},
        {EditName::AddHole, IDS_EDIT_ADD_HOLE},
    };
    for (const auto& entry : kNames)
        if (entry.name == name)
            return entry.nStringId;
    return 0;
}
}   // namespace

void OfferRecovery(CImageDoc& doc)
{
    CImageSession& session = doc.Session();
    if (!session.RestoreOffered())
        return;
    if (AskToRestore(session.RestoreQuestion()))
        Follow(doc, session.RestoreFromJournal());
    else
        session.DeclineRestore();
}

bool OfferFileGeoreference(CImageDoc& doc)
{
    CImageSession& session = doc.Session();
    if (!session.FileGeoreferenceOffered())
        return false;
    const CFileGeoreference& georef = session.FileGeoreference();
    std::string source =
        LoadResString(georef.nSource == GeoreferenceSource::GeoTiffKeys ? IDS_FILE_GEOREF_KEYS : IDS_FILE_GEOREF_WORLD);
    if (georef.nEpsg > 0)
        source = LoadResStringWith(IDS_FILE_GEOREF_EPSG, {source, std::to_string(georef.nEpsg)});
    const bool use =
        FwMessageBox(LoadResStringWith(IDS_FILE_GEOREF_ASK, {source}), MB_YESNO | MB_ICONQUESTION) == IDYES;
    Follow(doc, session.AnswerFileGeoreference(use));
    return use && session.Mode() == MODE_GEOREFERENCE && session.GeoRef().m_bValid;
}

void TellReducedOpen(const CImageDoc& doc)
{
    if (!doc.Grid().IsReduced())
        return;
    const std::string n = std::to_string(ShownResolutionDenominator(doc.Grid()));
    const double cb = static_cast<double>(doc.FullScanBytes());
    const std::string size = cb >= 1e9 ? FormatFixed(cb / 1e9, 1) + " GB" : FormatFixed(cb / 1e6, 0) + " MB";
    const std::string text = LoadResStringWith(IDS_SHOWN_REDUCED, {n, size});
    FwSetStatusText(text);
    FwMessageBox(text, MB_OK | MB_ICONINFORMATION);
}

std::string ReducedNote(const CImageDoc& doc)
{
    if (!doc.Grid().IsReduced())
        return std::string();
    return LoadResStringWith(IDS_SHOWN_REDUCED_SHORT, {std::to_string(ShownResolutionDenominator(doc.Grid()))});
}

void TellOpenFailure(const ScanReadStatus& status, const char* pszPathName)
{
    // The message names the file; which one is said depends on the cause.
    const unsigned nId = status.GetCode() == ScanReadError::CannotOpen ? IDS_UNABLE_TO_OPEN : IDS_JPG_READ_ERROR;
    FwMessageBox(LoadResString(nId) + " " + pszPathName, MB_OK);
}

bool Follow(CImageDoc& doc, const CSessionOutcome& outcome, CView* pSender)
{
    doc.UpdateFromSession(outcome, pSender);
    // Last, after everything is drawn as it now is.
    TellSessionMessages(outcome);
    return outcome.bDone;
}

void ChooseCoordinateSystem(CImageDoc& doc)
{
    if (doc.Session().Mode() == MODE_NONE)
        return;
    const CImageSession& session = doc.Session();
    const int nPoints = session.PointsCrs().nEpsg == session.Crs().nEpsg ? 0 : session.PointsCrs().nEpsg;
    CCrsDlg dlg(session.Crs().nEpsg, LoadRecentCrs(), nullptr, nPoints);
    if (dlg.DoModal() != IDOK)
        return;
    SetCoordinateSystems(doc, dlg.m_nChosenCode, dlg.m_nPointsCode);
}

namespace
{
CCrsRef RememberedCrs(int nCode)
{
    const CCrsEntry* pEntry = EmbeddedCrsCatalogue().Find(nCode);
    const CCrsRef crs = pEntry ? pEntry->Ref() : CCrsRef();
    if (!crs.IsNone())
    {
        std::vector<int> recent = LoadRecentCrs();
        PushRecentCrs(recent, crs.nEpsg);
        SaveRecentCrs(recent);
    }
    return crs;
}
}   // namespace

void SetCoordinateSystem(CImageDoc& doc, int nCode) { Follow(doc, doc.Session().SetCrs(RememberedCrs(nCode))); }

void SetCoordinateSystems(CImageDoc& doc, int nCode, int nPointsCode)
{
    const CCrsRef points = RememberedCrs(nPointsCode);
    Follow(doc, doc.Session().SetCrs(RememberedCrs(nCode), points));
}

void UseSuggestedCoordinateSystem(CImageDoc& doc)
{
    const int nCode = doc.Session().SuggestedCrs();
    if (nCode == 0)
        return;
    RememberedCrs(nCode);
    Follow(doc, doc.Session().AcceptSuggestedCrs());
}

std::string UndoText(const CImageSession& session, bool bRedo)
{
    const CEdit* pNext = bRedo ? session.History().NextRedo() : session.History().NextUndo();
    std::string text = LoadResString(bRedo ? IDS_REDO : IDS_UNDO);
    if (pNext)
        text += " " + LoadResString(EditNameStringId(pNext->Name()));
    return text + "\t" + LoadResString(bRedo ? IDS_REDO_KEY : IDS_UNDO_KEY);
}
