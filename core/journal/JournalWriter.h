// Keeps an image's recovery journal in step with its finished features:
// the first change after the features were opened or saved starts the
// journal with the list as it then is, and every later change (an undo or
// redo too) is appended as one record, flushed before the caller goes on.
#pragma once

#include <memory>
#include <string>

#include "core/edit/EditHistory.h"
#include "core/journal/RecoveryJournal.h"

// Where journals are kept, by name: files of the user's own application
// data in the program, memory in the tests.
class CJournalStore
{
public:
    virtual ~CJournalStore() = default;
    // The journal's bytes; false when there is none, it cannot be read, or a
    // running program is writing it.
    virtual bool Read(const std::string& strName, std::string* pBytes) = 0;
    // Makes the journal hold exactly these bytes, in place of any earlier
    // one whole, and opens it for appending; null when that failed (and
    // then the earlier journal is as it was).
    virtual std::unique_ptr<CJournalFile> Create(const std::string& strName, const std::string& bytes) = 0;
    // Removes it; a missing journal is no failure.
    virtual bool Remove(const std::string& strName) = 0;
};

enum JournalOutcome
{
    JOURNAL_UNCHANGED,   // nothing to record: no image, or no change of the finished features
    JOURNAL_WRITTEN,     // recorded, on the disk
    JOURNAL_FAILED,      // not recorded: the work is not safe until the next change that is
};

class CJournalWriter
{
public:
    explicit CJournalWriter(CJournalStore& store) : m_store(store) {}

    // The image whose features are journaled, by its full path ("" for
    // none). The journal of the image before is closed and left as it is.
    void SetImage(const std::string& strImagePath);
    // The journal's name in the store; "" without an image.
    const std::string& Name() const { return m_strName; }

    // The features the image's journal brings back. False when there is no
    // journal with a feature to bring back; one that holds none (or is no
    // journal at all) is removed.
    bool FindWork(CRecoveredWork* pWork);

    // Records a step of the undo history, already applied: features is the
    // list as it now is, digitised as nShapeType; nTime the time of the step.
    // The edit gives the one record of the step (CEdit::JournalRecord), or
    // the whole list is written again.
    JournalOutcome Record(const CEdit& edit, EditStep nStep, const CShapeArray& features, int nShapeType,
                          long long nTime);
    // Starts the journal afresh with the features as they are.
    JournalOutcome Restart(const CShapeArray& features, int nShapeType, long long nTime);
    // The features were saved, or given up: the journal goes.
    void Remove();

private:
    CJournalStore& m_store;
    std::string m_strName;
    // Open while the journal holds every change so far; closed after a
    // failure, so the next change starts a whole journal again.
    std::unique_ptr<CJournalFile> m_pFile;
};

// A whole journal holding the features: the signature, then one record each.
std::string JournalSnapshot(const CShapeArray& features, int nShapeType, long long nTime);
