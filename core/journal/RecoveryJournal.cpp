#include "core/journal/RecoveryJournal.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>

#include "core/io/Path.h"

namespace
{
const char kSignature[8] = {'Q', 'V', 'X', 'J', 'R', 'N', 'L', '1'};
// No record of ours comes near this; a larger length is damage.
const uint32_t kLargestPayload = 64u << 20;
// Vertices of one feature: far beyond what anyone clicks.
const uint32_t kLargestVertexCount = 4u << 20;

void PutU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void PutI64(std::string& out, long long v)
{
    const uint64_t u = static_cast<uint64_t>(v);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

void PutText(std::string& out, const std::string& text)
{
    PutU32(out, static_cast<uint32_t>(text.size()));
    out += text;
}

// Reads fields from one payload; any read past its end fails the whole record.
class CPayloadReader
{
public:
    CPayloadReader(const unsigned char* p, size_t cb) : m_p(p), m_cb(cb) {}

    bool U8(unsigned* pv)
    {
        if (m_at + 1 > m_cb)
            return false;
        *pv = m_p[m_at++];
        return true;
    }
    bool U32(uint32_t* pv)
    {
        if (m_at + 4 > m_cb)
            return false;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(m_p[m_at + i]) << (8 * i);
        m_at += 4;
        *pv = v;
        return true;
    }
    bool I32(int* pv)
    {
        uint32_t u;
        if (!U32(&u))
            return false;
        std::memcpy(pv, &u, 4);
        return true;
    }
    bool I64(long long* pv)
    {
        uint32_t low, high;
        if (!U32(&low) || !U32(&high))
            return false;
        const uint64_t u = static_cast<uint64_t>(high) << 32 | low;
        std::memcpy(pv, &u, 8);
        return true;
    }
    bool Text(std::string* pText)
    {
        uint32_t cch;
        if (!U32(&cch) || cch > m_cb - m_at)
            return false;
        pText->assign(reinterpret_cast<const char*>(m_p + m_at), cch);
        m_at += cch;
        return true;
    }
    bool AtEnd() const { return m_at == m_cb; }
    size_t Left() const { return m_cb - m_at; }

private:
    const unsigned char* m_p;
    size_t m_cb;
    size_t m_at = 0;
};

// The file's codes become enum values only here: anything but the codes we
// write makes the record malformed.
bool ReadShapeType(CPayloadReader& in, ShapeType* pType)
{
    int n;
    if (!in.I32(&n) || (n != SHAPE_POINT && n != SHAPE_POLYLINE && n != SHAPE_POLYGON))
        return false;
    *pType = static_cast<ShapeType>(n);
    return true;
}

bool ReadVertices(CPayloadReader& in, CShape* pShape)
{
    uint32_t count;
    if (!in.U32(&count) || count == 0 || count > kLargestVertexCount || count > in.Left() / 8)
        return false;
    for (uint32_t i = 0; i < count; ++i)
    {
        int x, y;
        if (!in.I32(&x) || !in.I32(&y))
            return false;
        pShape->Add(x, y);
    }
    return true;
}

// Where each hole begins: after the first vertex, in order, each ring of
// at least one vertex; a hole being drawn may not have one yet (bBegun).
bool ReadHoles(CPayloadReader& in, CShape* pShape, bool bBegun = false)
{
    uint32_t count;
    if (!in.U32(&count) || count > in.Left() / 4)
        return false;
    std::vector<int> holes(count);
    int previous = 0;
    for (int& start : holes)
    {
        if (!in.I32(&start) || start <= previous || start > pShape->GetSize() - (bBegun ? 0 : 1))
            return false;
        previous = start;
    }
    pShape->SetHoleStarts(std::move(holes));
    return true;
}

// A finished polygon's rings: each of four vertices or more, its last its first.
bool RingsClosed(const CShape& shape)
{
    for (int r = 0; r < shape.RingCount(); ++r)
        if (shape.RingEnd(r) - shape.RingBegin(r) < 4 ||
            !(shape.GetAt(shape.RingBegin(r)) == shape.GetAt(shape.RingEnd(r) - 1)))
            return false;
    return true;
}

void PutHoles(std::string& out, const CShape& shape)
{
    PutU32(out, static_cast<uint32_t>(shape.HoleStarts().size()));
    for (int start : shape.HoleStarts())
        PutU32(out, static_cast<uint32_t>(start));
}

void PutVertices(std::string& out, const CShape& shape)
{
    PutU32(out, static_cast<uint32_t>(shape.GetSize()));
    for (const CShapeVertex& v : shape.Vertices())
    {
        PutU32(out, static_cast<uint32_t>(v.x));
        PutU32(out, static_cast<uint32_t>(v.y));
    }
}

void PutValue(std::string& out, const FieldValue& value)
{
    out.push_back(value ? 1 : 0);
    if (value)
        PutText(out, *value);
}

bool ReadValue(CPayloadReader& in, FieldValue* pValue)
{
    unsigned present;
    if (!in.U8(&present) || present > 1)
        return false;
    std::string text;
    if (present && !in.Text(&text))
        return false;
    *pValue = present ? FieldValue(std::move(text)) : FieldValue();
    return true;
}

// No list of ours comes near this; a larger count is damage.
const uint32_t kLargestFieldCount = 4096;

bool ReadValues(CPayloadReader& in, std::vector<FieldValue>* pValues)
{
    uint32_t count;
    // Each value takes at least its presence byte.
    if (!in.U32(&count) || count > kLargestFieldCount || count > in.Left())
        return false;
    pValues->resize(count);
    for (FieldValue& value : *pValues)
        if (!ReadValue(in, &value))
            return false;
    return true;
}

void PutFields(std::string& out, const std::vector<CAttributeField>& fields)
{
    PutU32(out, static_cast<uint32_t>(fields.size()));
    for (const CAttributeField& field : fields)
    {
        PutText(out, field.def.strName);
        out.push_back(static_cast<char>(field.def.nType));
        PutU32(out, static_cast<uint32_t>(field.def.nWidth));
        PutU32(out, static_cast<uint32_t>(field.def.nDecimals));
        PutValue(out, field.defaultValue);
        out.push_back(field.bReuseLast ? 1 : 0);
        PutU32(out, static_cast<uint32_t>(field.nSourceField));
    }
}

bool ReadFields(CPayloadReader& in, std::vector<CAttributeField>* pFields)
{
    uint32_t count;
    if (!in.U32(&count) || count > kLargestFieldCount || count > in.Left() / 16)
        return false;
    for (uint32_t i = 0; i < count; ++i)
    {
        CAttributeField field;
        unsigned type, reuse;
        if (!in.Text(&field.def.strName) || !in.U8(&type) || type > static_cast<unsigned>(FieldType::Date) ||
            !in.I32(&field.def.nWidth) || !in.I32(&field.def.nDecimals) || !ReadValue(in, &field.defaultValue) ||
            !in.U8(&reuse) || reuse > 1 || !in.I32(&field.nSourceField) || field.def.nWidth < 0 ||
            field.def.nWidth > 255 || field.def.nDecimals < 0 || field.def.nDecimals > field.def.nWidth ||
            field.nSourceField < -1)
            return false;
        field.def.nType = static_cast<FieldType>(type);
        field.bReuseLast = reuse == 1;
        pFields->push_back(std::move(field));
    }
    return true;
}

bool DecodePayload(const unsigned char* p, size_t cb, CJournalRecord* pRecord)
{
    CPayloadReader in(p, cb);
    unsigned kind;
    CJournalRecord record;
    if (!in.U8(&kind) || kind < JOURNAL_FEATURE || kind > JOURNAL_CURRENT || !in.I64(&record.nTime))
        return false;
    record.nKind = static_cast<JournalRecordKind>(kind);
    switch (record.nKind)
    {
    case JOURNAL_INSERT:
        if (!in.I32(&record.nIndex))
            return false;
        // the feature follows as in JOURNAL_FEATURE
        [[fallthrough]];
    case JOURNAL_FEATURE:
        if (!ReadShapeType(in, &record.nShapeType) || !in.Text(&record.shape.m_strName) ||
            !ReadVertices(in, &record.shape))
            return false;
        // A feature opened from a file names its record (-1 for none), and
        // one with attribute values has them last; older journals end before.
        if (!in.AtEnd() && (!in.I32(&record.shape.m_nSource) || record.shape.m_nSource < -1))
            return false;
        if (!in.AtEnd() && !ReadValues(in, &record.shape.m_values))
            return false;
        // A polygon with holes has them after its values, every ring closed.
        if (!in.AtEnd() &&
            (record.nShapeType != SHAPE_POLYGON || !ReadHoles(in, &record.shape) || !RingsClosed(record.shape)))
            return false;
        break;
    case JOURNAL_CURRENT:
        if (!ReadShapeType(in, &record.nShapeType))
            return false;
        // A feature with no vertex (finished or given up) is none.
        if (in.Left() == 4)
        {
            uint32_t none;
            if (!in.U32(&none) || none != 0)
                return false;
            break;
        }
        if (!ReadVertices(in, &record.shape) || !ReadHoles(in, &record.shape, true) ||
            (record.nShapeType != SHAPE_POLYGON && !record.shape.HoleStarts().empty()))
            return false;
        break;
    case JOURNAL_VALUE:
        if (!in.I32(&record.nIndex) || !in.I32(&record.nField) || !ReadValue(in, &record.value))
            return false;
        break;
    case JOURNAL_FIELDS:
        if (!ReadFields(in, &record.fields))
            return false;
        break;
    case JOURNAL_VERTICES:
        if (!in.I32(&record.nIndex) || !ReadVertices(in, &record.shape))
            return false;
        break;
    case JOURNAL_SOURCE:
    {
        uint32_t fingerprint;
        if (!in.Text(&record.strSource) || record.strSource.empty() || !in.U32(&fingerprint))
            return false;
        record.nFingerprint = fingerprint;
        break;
    }
    case JOURNAL_RENAME:
        if (!in.I32(&record.nIndex) || !in.Text(&record.shape.m_strName))
            return false;
        break;
    case JOURNAL_DELETE:
        if (!in.I32(&record.nIndex))
            return false;
        break;
    case JOURNAL_CLEAR: break;
    default: return false;
    }
    if (!in.AtEnd())
        return false;
    *pRecord = std::move(record);
    return true;
}

// Applies one record to the recovered features; false when it does not fit them.
bool Replay(const CJournalRecord& record, CRecoveredWork* pWork)
{
    switch (record.nKind)
    {
    case JOURNAL_FEATURE:
        pWork->shapes.Add(record.shape);
        pWork->nShapeType = record.nShapeType;
        return true;
    case JOURNAL_INSERT:
        if (record.nIndex < 0 || record.nIndex > pWork->shapes.GetSize())
            return false;
        pWork->shapes.InsertAt(record.nIndex, record.shape);
        pWork->nShapeType = record.nShapeType;
        return true;
    case JOURNAL_RENAME:
    case JOURNAL_DELETE:
        if (record.nIndex < 0 || record.nIndex >= pWork->shapes.GetSize())
            return false;
        if (record.nKind == JOURNAL_RENAME)
            pWork->shapes.SetName(record.nIndex, record.shape.m_strName);
        else
            pWork->shapes.RemoveAt(record.nIndex);
        return true;
    case JOURNAL_VERTICES:
        // A polygon with holes is never edited vertex by vertex.
        if (record.nIndex < 0 || record.nIndex >= pWork->shapes.GetSize() ||
            pWork->shapes.GetAt(record.nIndex).RingCount() > 1)
            return false;
        pWork->shapes.SetVertices(record.nIndex, record.shape.Vertices());
        return true;
    case JOURNAL_CLEAR: pWork->shapes.RemoveAll(); return true;
    case JOURNAL_VALUE:
        if (record.nIndex < 0 || record.nIndex >= pWork->shapes.GetSize() || record.nField < 0 ||
            record.nField >= static_cast<int>(pWork->shapes.Fields().size()))
            return false;
        pWork->shapes.SetValue(record.nIndex, record.nField, record.value);
        return true;
    case JOURNAL_FIELDS:
        pWork->shapes.SetFields(record.fields);
        pWork->bHasFields = true;
        return true;
    case JOURNAL_SOURCE:
        pWork->strSource = record.strSource;
        pWork->nFingerprint = record.nFingerprint;
        return true;
    case JOURNAL_CURRENT:
        pWork->current = record.shape;
        pWork->nCurrentType = record.nShapeType;
        return true;
    }
    return false;
}
}

std::string JournalSignature() { return std::string(kSignature, sizeof kSignature); }

std::string EncodeJournalRecord(const CJournalRecord& record)
{
    std::string payload;
    payload.push_back(static_cast<char>(record.nKind));
    PutI64(payload, record.nTime);
    switch (record.nKind)
    {
    case JOURNAL_INSERT: PutU32(payload, static_cast<uint32_t>(record.nIndex)); [[fallthrough]];
    case JOURNAL_FEATURE:
        PutU32(payload, static_cast<uint32_t>(record.nShapeType));
        PutText(payload, record.shape.m_strName);
        PutVertices(payload, record.shape);
        if (record.shape.m_nSource >= 0 || !record.shape.m_values.empty() || !record.shape.HoleStarts().empty())
            PutU32(payload, static_cast<uint32_t>(record.shape.m_nSource));
        if (!record.shape.m_values.empty() || !record.shape.HoleStarts().empty())
        {
            PutU32(payload, static_cast<uint32_t>(record.shape.m_values.size()));
            for (const FieldValue& value : record.shape.m_values)
                PutValue(payload, value);
        }
        if (!record.shape.HoleStarts().empty())
            PutHoles(payload, record.shape);
        break;
    case JOURNAL_CURRENT:
        PutU32(payload, static_cast<uint32_t>(record.nShapeType));
        if (record.shape.GetSize() == 0)
            PutU32(payload, 0);
        else
        {
            PutVertices(payload, record.shape);
            PutHoles(payload, record.shape);
        }
        break;
    case JOURNAL_VALUE:
        PutU32(payload, static_cast<uint32_t>(record.nIndex));
        PutU32(payload, static_cast<uint32_t>(record.nField));
        PutValue(payload, record.value);
        break;
    case JOURNAL_FIELDS: PutFields(payload, record.fields); break;
    case JOURNAL_SOURCE:
        PutText(payload, record.strSource);
        PutU32(payload, static_cast<uint32_t>(record.nFingerprint));
        break;
    case JOURNAL_VERTICES:
        PutU32(payload, static_cast<uint32_t>(record.nIndex));
        PutVertices(payload, record.shape);
        break;
    case JOURNAL_RENAME:
        PutU32(payload, static_cast<uint32_t>(record.nIndex));
        PutText(payload, record.shape.m_strName);
        break;
    case JOURNAL_DELETE: PutU32(payload, static_cast<uint32_t>(record.nIndex)); break;
    case JOURNAL_CLEAR: break;
    }
    std::string out;
    out.reserve(payload.size() + 8);
    PutU32(out, static_cast<uint32_t>(payload.size()));
    PutU32(out, static_cast<uint32_t>(Crc32(payload.data(), payload.size())));
    out += payload;
    return out;
}

bool ReadJournal(const void* pData, size_t cb, CRecoveredWork* pWork)
{
    *pWork = CRecoveredWork();
    const unsigned char* p = static_cast<const unsigned char*>(pData);
    if (cb < sizeof kSignature || std::memcmp(p, kSignature, sizeof kSignature) != 0)
        return false;
    size_t at = sizeof kSignature;
    pWork->cbReplayed = at;
    while (cb - at >= 8)
    {
        CPayloadReader head(p + at, 8);
        uint32_t length, crc;
        head.U32(&length);
        head.U32(&crc);
        if (length > kLargestPayload || length > cb - at - 8)
            break;
        const unsigned char* payload = p + at + 8;
        CJournalRecord record;
        if (Crc32(payload, length) != crc || !DecodePayload(payload, length, &record) || !Replay(record, pWork))
            break;
        at += 8 + length;
        pWork->nLastTime = record.nTime;
        ++pWork->nRecords;
        pWork->cbReplayed = at;
    }
    return true;
}

std::string JournalFileName(const std::string& strImagePath)
{
    // FNV-1a over the path with ASCII letters folded: Windows paths ignore case.
    uint64_t hash = 14695981039346656037ull;
    for (char c : strImagePath)
    {
        unsigned char u = static_cast<unsigned char>(c);
        if (u >= 'A' && u <= 'Z')
            u = static_cast<unsigned char>(u - 'A' + 'a');
        if (u == '/')
            u = '\\';
        hash = (hash ^ u) * 1099511628211ull;
    }
    const std::string name = PathFileName(strImagePath);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (int i = 15; i >= 0; --i)
        hex.push_back(kHex[(hash >> (4 * i)) & 0xF]);
    return name + "-" + hex + ".journal";
}

unsigned long Crc32(const void* pData, size_t cb) { return crc32_z(0, static_cast<const Bytef*>(pData), cb); }
