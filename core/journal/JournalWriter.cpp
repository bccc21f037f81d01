#include "core/journal/JournalWriter.h"

#include "core/edit/EditHistory.h"
#include "core/io/StagedWrite.h"

bool JournalRecordForStep(const CEdit& edit, int nStep, int nShapeType, long long nTime, CJournalRecord* pRecord)
{
    const bool forward = nStep != EDIT_STEP_UNDONE;
    CJournalRecord record;
    record.nTime = nTime;
    record.nIndex = edit.m_nIndex;
    record.nShapeType = nShapeType;
    switch (edit.m_nKind)
    {
    case EDIT_FINISH_FEATURE:
    case EDIT_DELETE_FEATURE:
        // Finishing puts a feature in, deleting takes one out; undone, the other way round.
        if (forward == (edit.m_nKind == EDIT_FINISH_FEATURE))
        {
            record.nKind = JOURNAL_INSERT;
            record.shape = edit.m_feature;
            if (edit.m_nKind == EDIT_FINISH_FEATURE)
                record.nShapeType = edit.m_nShapeType;
        }
        else
        {
            record.nKind = JOURNAL_DELETE;
        }
        break;
    case EDIT_RENAME_FEATURE:
        record.nKind = JOURNAL_RENAME;
        record.shape.m_strName = forward ? edit.m_feature.m_strName : edit.m_strNameBefore;
        break;
    case EDIT_DELETE_ALL_FEATURES:
        if (!forward)
            return false;
        record.nKind = JOURNAL_CLEAR;
        break;
    default: return false;
    }
    *pRecord = std::move(record);
    return true;
}

std::string JournalSnapshot(const CShapeArray& features, int nShapeType, long long nTime)
{
    std::string bytes = JournalSignature();
    CJournalRecord record;
    record.nKind = JOURNAL_FEATURE;
    record.nTime = nTime;
    record.nShapeType = nShapeType;
    for (int i = 0; i < features.GetSize(); ++i)
    {
        record.shape = features.GetAt(i);
        bytes += EncodeJournalRecord(record);
    }
    return bytes;
}

void CJournalWriter::SetImage(const std::string& strImagePath, const std::string& strFolder)
{
    m_pFile.reset();
    m_strName = strImagePath.empty() ? std::string() : JournalFileName(strImagePath);
    m_strPath = m_strName.empty() || strFolder.empty() ? std::string() : strFolder + m_strName;
}

bool CJournalWriter::FindWork(CRecoveredWork* pWork)
{
    *pWork = CRecoveredWork();
    std::string bytes;
    if (m_strPath.empty() || !ReadWholeFile(m_files, m_strPath, &bytes))
        return false;
    if (ReadJournal(bytes.data(), bytes.size(), pWork) && pWork->shapes.GetSize() > 0)
        return true;
    m_files.Remove(m_strPath);
    return false;
}

int CJournalWriter::Record(const CEdit& edit, int nStep, const CShapeArray& features, int nShapeType, long long nTime)
{
    if (m_strName.empty() || !EditChangesFeatures(edit.m_nKind))
        return JOURNAL_UNCHANGED;
    // An undone removal of every feature gives them back with their type.
    const int type = edit.m_nKind == EDIT_DELETE_ALL_FEATURES ? edit.m_nShapeType : nShapeType;
    CJournalRecord record;
    if (!m_pFile || !JournalRecordForStep(edit, nStep, type, nTime, &record))
        return Restart(features, type, nTime);
    if (AppendDurably(EncodeJournalRecord(record)))
        return JOURNAL_WRITTEN;
    // A record that may be missing would make every later one wrong.
    m_pFile.reset();
    return JOURNAL_FAILED;
}

int CJournalWriter::Restart(const CShapeArray& features, int nShapeType, long long nTime)
{
    m_pFile.reset();
    if (m_strName.empty())
        return JOURNAL_UNCHANGED;
    if (m_strPath.empty())
        return JOURNAL_FAILED;
    // Whole in place of any earlier journal, then held open for the records.
    if (WriteWholeFile(m_files, m_strPath, JournalSnapshot(features, nShapeType, nTime)))
        m_pFile = m_files.OpenForWriting(m_strPath, FILE_APPEND);
    return m_pFile ? JOURNAL_WRITTEN : JOURNAL_FAILED;
}

bool CJournalWriter::AppendDurably(const std::string& bytes)
{
    return m_pFile->Write(bytes.data(), bytes.size()) == bytes.size() && m_pFile->FlushToDisk();
}

void CJournalWriter::Remove()
{
    m_pFile.reset();
    if (!m_strPath.empty())
        m_files.Remove(m_strPath);
}
