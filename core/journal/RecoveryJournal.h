// The recovery journal: every finished feature and every change to the list
// of finished features, appended to a file and flushed before the user sees
// it done, so that a crash or a power cut loses no digitising work.
//
// The file is the 8-byte signature, then records: payload length (4 bytes),
// CRC-32 of the payload (4 bytes), payload, little-endian. A record is
// complete only when all its bytes are there and its checksum matches; the
// reader stops at the first one that is not (a torn last write) and never
// reads past it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/journal/JournalRecord.h"
#include "core/shape/Shape.h"

// The signature every journal starts with.
std::string JournalSignature();
// One record as it is appended: length, checksum, payload.
std::string EncodeJournalRecord(const CJournalRecord& record);

// The features a journal brings back.
struct CRecoveredWork
{
    CShapeArray shapes;
    ShapeType nShapeType = SHAPE_POLYLINE;     // of the last feature finished or put back
    long long nLastTime = 0;                   // of the last record replayed
    int nRecords = 0;                          // complete records replayed
    size_t cbReplayed = 0;                     // bytes of the file they span, signature included
    std::string strSource;                     // the Shapefile they were opened from, or ""
    unsigned long nFingerprint = 0;            // of its records then
    bool bHasFields = false;                   // the journal listed the attribute fields
    CShape current;                            // the feature being digitised, if it was kept
    ShapeType nCurrentType = SHAPE_POLYLINE;   // what it was digitised as
};

// Replays the complete records of a journal's bytes in order. Stops at the
// first record that is torn, fails its checksum, is malformed, or names a
// feature that is not there; what came before it is kept. False when the
// signature is missing (not a journal at all).
bool ReadJournal(const void* pData, size_t cb, CRecoveredWork* pWork);

// The journal's file name for an image: its file name, then a hash of the
// full path in any letter case (two scans of one name in different folders
// get different journals), then ".journal".
std::string JournalFileName(const std::string& strImagePath);

// CRC-32 as zlib computes it (the checksum of PNG and gzip).
unsigned long Crc32(const void* pData, size_t cb);
