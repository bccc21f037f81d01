// The commands on the image that talk to the user: the restore question and
// the open failure, the coordinate-system dialog, Undo and Redo, and the
// messages every verb of the session may bring (Save As and the question
// before features are given up: FeatureSave.h). The document keeps
// the state and shows nothing; these act on its outcomes.
#pragma once

#include <string>

#include "app/ImageDoc.h"

// After an image was opened and is on show: offers the features its
// journal holds, and restores them or forgets the journal.
void OfferRecovery(CImageDoc& doc);
// After an image was opened and is on show: asks once whether the
// georeference its file brings along is used, and keeps the answer. True
// when it is, and digitising may start at once.
bool OfferFileGeoreference(CImageDoc& doc);
// Tells why pszPathName could not be opened: the file cannot be read or has
// no scan's name, or the decoder refused it.
void TellOpenFailure(const ScanReadStatus& status, const char* pszPathName);
// A scan opened at a reduced resolution: which, and why, in the status line
// and a message. Nothing at full resolution.
void TellReducedOpen(const CImageDoc& doc);
// "Shown at 1/n resolution." for status lines; empty at full resolution.
std::string ReducedNote(const CImageDoc& doc);

// Brings the document and the windows up to date after a verb, then tells
// the user what the outcome asks to. Whether the verb changed anything.
bool Follow(CImageDoc& doc, const CSessionOutcome& outcome, CView* pSender = nullptr);

// View > Coordinate System...: asks for the image's system.
void ChooseCoordinateSystem(CImageDoc& doc);
// Makes nCode (0: none) the image's system, remembers it among the recent
// ones and beside the image; tells the user when that cannot be written.
void SetCoordinateSystem(CImageDoc& doc, int nCode);
// The same with the system the control points are typed in (0: nCode's).
void SetCoordinateSystems(CImageDoc& doc, int nCode, int nPointsCode);
// The output system the session suggests, with the points in WGS 84 unless
// their system is set.
void UseSuggestedCoordinateSystem(CImageDoc& doc);
// The menu text of Undo or Redo, naming the step ("Undo Delete Control Point").
std::string UndoText(const CImageSession& session, bool bRedo);
