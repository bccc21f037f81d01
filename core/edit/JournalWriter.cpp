#include "core/edit/JournalWriter.h"

#include "core/io/StagedWrite.h"

std::string JournalSnapshot(const CShapeArray& features, ShapeType nShapeType, long long nTime,
                            const std::string& strSource, unsigned long nFingerprint)
{
    std::string bytes = JournalSignature();
    CJournalRecord record;
    if (!strSource.empty())
    {
        record.nKind = JOURNAL_SOURCE;
        record.nTime = nTime;
        record.strSource = strSource;
        record.nFingerprint = nFingerprint;
        bytes += EncodeJournalRecord(record);
        record.strSource.clear();
    }
    // Always for an opened file, whose fields the user may have removed.
    if (!features.Fields().empty() || !strSource.empty())
    {
        record.nKind = JOURNAL_FIELDS;
        record.nTime = nTime;
        record.fields = features.Fields();
        bytes += EncodeJournalRecord(record);
        record.fields.clear();
    }
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
    m_bHoldsCurrent = false;
    m_strName = strImagePath.empty() ? std::string() : JournalFileName(strImagePath);
    m_strPath = m_strName.empty() || strFolder.empty() ? std::string() : strFolder + m_strName;
}

bool CJournalWriter::FindWork(CRecoveredWork* pWork)
{
    *pWork = CRecoveredWork();
    std::string bytes;
    if (m_strPath.empty() || !ReadWholeFile(m_files, m_strPath, &bytes))
        return false;
    if (ReadJournal(bytes.data(), bytes.size(), pWork) && (pWork->shapes.GetSize() > 0 || pWork->current.GetSize() > 0))
        return true;
    m_files.Remove(m_strPath);
    return false;
}

JournalOutcome CJournalWriter::Record(const CEdit& edit, EditStep nStep, const CShapeArray& features,
                                      ShapeType nShapeType, long long nTime)
{
    if (m_strName.empty() || edit.Scope() != EditScope::Features)
        return JOURNAL_UNCHANGED;
    CJournalRecord record;
    record.nTime = nTime;
    record.nShapeType = nShapeType;
    if (!m_pFile || !edit.JournalRecord(nStep != EditStep::Undone, &record))
        return Restart(features, nShapeType, nTime);
    if (AppendDurably(EncodeJournalRecord(record)))
        return JOURNAL_WRITTEN;
    // A record that may be missing would make every later one wrong.
    m_pFile.reset();
    return JOURNAL_FAILED;
}

JournalOutcome CJournalWriter::RecordCurrent(const CShape& current, ShapeType nShapeType, const CShapeArray& features,
                                             long long nTime)
{
    if (m_strName.empty())
        return JOURNAL_UNCHANGED;
    if (!m_pFile && Restart(features, nShapeType, nTime) != JOURNAL_WRITTEN)
        return JOURNAL_FAILED;
    CJournalRecord record;
    record.nKind = JOURNAL_CURRENT;
    record.nTime = nTime;
    record.nShapeType = nShapeType;
    record.shape = current;
    if (AppendDurably(EncodeJournalRecord(record)))
    {
        m_bHoldsCurrent = current.GetSize() > 0;
        return JOURNAL_WRITTEN;
    }
    m_pFile.reset();
    return JOURNAL_FAILED;
}

JournalOutcome CJournalWriter::Restart(const CShapeArray& features, ShapeType nShapeType, long long nTime)
{
    m_pFile.reset();
    m_bHoldsCurrent = false;
    if (m_strName.empty())
        return JOURNAL_UNCHANGED;
    if (m_strPath.empty())
        return JOURNAL_FAILED;
    // Whole in place of any earlier journal, then held open for the records.
    if (WriteWholeFile(m_files, m_strPath, JournalSnapshot(features, nShapeType, nTime, m_strSource, m_nFingerprint)))
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
    m_bHoldsCurrent = false;
    if (!m_strPath.empty())
        m_files.Remove(m_strPath);
}
