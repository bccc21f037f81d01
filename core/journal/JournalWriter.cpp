#include "core/journal/JournalWriter.h"

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

void CJournalWriter::SetImage(const std::string& strImagePath)
{
    m_pFile.reset();
    m_strName = strImagePath.empty() ? std::string() : JournalFileName(strImagePath);
}

bool CJournalWriter::FindWork(CRecoveredWork* pWork)
{
    *pWork = CRecoveredWork();
    std::string bytes;
    if (m_strName.empty() || !m_store.Read(m_strName, &bytes))
        return false;
    if (ReadJournal(bytes.data(), bytes.size(), pWork) && pWork->shapes.GetSize() > 0)
        return true;
    m_store.Remove(m_strName);
    return false;
}

JournalOutcome CJournalWriter::Record(const CEdit& edit, EditStep nStep, const CShapeArray& features, int nShapeType,
                                      long long nTime)
{
    if (m_strName.empty() || edit.Scope() != EditScope::Features)
        return JOURNAL_UNCHANGED;
    CJournalRecord record;
    record.nTime = nTime;
    record.nShapeType = nShapeType;
    if (!m_pFile || !edit.JournalRecord(nStep != EditStep::Undone, &record))
        return Restart(features, nShapeType, nTime);
    if (m_pFile->AppendDurably(EncodeJournalRecord(record)))
        return JOURNAL_WRITTEN;
    // A record that may be missing would make every later one wrong.
    m_pFile.reset();
    return JOURNAL_FAILED;
}

JournalOutcome CJournalWriter::Restart(const CShapeArray& features, int nShapeType, long long nTime)
{
    m_pFile.reset();
    if (m_strName.empty())
        return JOURNAL_UNCHANGED;
    m_pFile = m_store.Create(m_strName, JournalSnapshot(features, nShapeType, nTime));
    return m_pFile ? JOURNAL_WRITTEN : JOURNAL_FAILED;
}

void CJournalWriter::Remove()
{
    m_pFile.reset();
    if (!m_strName.empty())
        m_store.Remove(m_strName);
}
