// Keeps an image's recovery journal in step with its finished features:
// the first change after the features were opened or saved starts the
// journal with the list as it then is, and every later change (an undo or
// redo too) is appended as one record, flushed before the caller goes on.
#pragma once

#include <memory>
#include <string>

#include "core/edit/EditHistory.h"
#include "core/io/FileSystem.h"
#include "core/journal/RecoveryJournal.h"

enum JournalOutcome
{
    JOURNAL_UNCHANGED,   // nothing to record: no image, or no change of the finished features
    JOURNAL_WRITTEN,     // recorded, on the disk
    JOURNAL_FAILED,      // not recorded: the work is not safe until the next change that is
};

class CJournalWriter
{
public:
    explicit CJournalWriter(CFileSystem& files) : m_files(files) {}

    // The image whose features are journaled, by its full path ("" for
    // none), and the folder its journal is kept in, with its separator (""
    // when the system names none: every change then fails to be recorded).
    // The journal of the image before is closed and left as it is. While a
    // journal is open for appending, no other program on Windows can read it.
    void SetImage(const std::string& strImagePath, const std::string& strFolder);
    // The journal's file name; "" without an image.
    const std::string& Name() const { return m_strName; }
    // Its full path; "" without an image or a folder.
    const std::string& Path() const { return m_strPath; }

    // The features the image's journal brings back. False when there is no
    // journal with a feature to bring back; one that holds none (or is no
    // journal at all) is removed.
    bool FindWork(CRecoveredWork* pWork);

    // Records a step of the undo history, already applied: features is the
    // list as it now is, digitised as nShapeType; nTime the time of the step.
    // The edit gives the one record of the step (CEdit::JournalRecord), or
    // the whole list is written again.
    JournalOutcome Record(const CEdit& edit, EditStep nStep, const CShapeArray& features, ShapeType nShapeType,
                          long long nTime);
    // The feature being digitised, appended (the journal is started first
    // when it is not open). Kept for one with a hole, so that a half-drawn
    // hole comes back after a crash; once written, every later state of it
    // is, until the journal starts again.
    JournalOutcome RecordCurrent(const CShape& current, ShapeType nShapeType, const CShapeArray& features,
                                 long long nTime);
    bool HoldsCurrent() const { return m_bHoldsCurrent; }
    // Starts the journal afresh with the features as they are.
    JournalOutcome Restart(const CShapeArray& features, ShapeType nShapeType, long long nTime);
    // The features were saved, or given up: the journal goes.
    void Remove();
    // The Shapefile the features were opened from ("" for none), named at
    // the start of every journal begun from now on.
    void SetSource(const std::string& strSource, unsigned long nFingerprint)
    {
        m_strSource = strSource;
        m_nFingerprint = nFingerprint;
    }

private:
    // Appends the bytes and puts them on the disk; false when they may not be there.
    bool AppendDurably(const std::string& bytes);

    CFileSystem& m_files;
    std::string m_strName;
    std::string m_strPath;
    // Open while the journal holds every change so far; closed after a
    // failure, so the next change starts a whole journal again.
    std::unique_ptr<CFile> m_pFile;
    std::string m_strSource;
    unsigned long m_nFingerprint = 0;
    bool m_bHoldsCurrent = false;
};

// A whole journal holding the features: the signature, then one record each.
// Features opened from a file follow a record naming it (strSource not "").
std::string JournalSnapshot(const CShapeArray& features, ShapeType nShapeType, long long nTime,
                            const std::string& strSource = std::string(), unsigned long nFingerprint = 0);
