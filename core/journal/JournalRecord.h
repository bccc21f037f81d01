// The records of the recovery journal, as values: what one change did to
// the list of finished features. The edits say which record each of their
// steps is (core/edit/Edit.cpp); RecoveryJournal.cpp writes and replays them.
#pragma once

#include <string>
#include <vector>

#include "core/shape/Shape.h"

enum JournalRecordKind
{
    JOURNAL_FEATURE = 1,   // a finished feature: shape type, name, vertices
    JOURNAL_RENAME = 2,    // feature nIndex renamed to shape.m_strName
    JOURNAL_DELETE = 3,    // feature nIndex deleted; later ones move down
    JOURNAL_CLEAR = 4,     // every finished feature removed
    JOURNAL_INSERT = 5,    // a feature (shape type, name, vertices) put back at nIndex; later ones move up
    // The features were opened from the Shapefile strSource, whose records
    // have the checksum nFingerprint: features that follow name their record
    // (shape.m_nSource), and the rest of it is read from there on restore.
    JOURNAL_SOURCE = 6,
    JOURNAL_VERTICES = 7,   // the vertices of feature nIndex replaced by shape's; its name stays
    JOURNAL_VALUE = 8,      // field nField of feature nIndex set to value
    JOURNAL_FIELDS = 9,     // the attribute fields are fields (the features' values stay)
    // The feature being digitised is shape (none when it has no vertex),
    // as shape type nShapeType: a polygon with a hole half drawn.
    JOURNAL_CURRENT = 10,
};

struct CJournalRecord
{
    JournalRecordKind nKind = JOURNAL_FEATURE;
    long long nTime = 0;   // seconds since 1970-01-01 UTC
    int nIndex = 0;        // JOURNAL_RENAME, JOURNAL_DELETE, JOURNAL_INSERT
    ShapeType nShapeType = SHAPE_POLYLINE;
    // JOURNAL_FEATURE and JOURNAL_INSERT (whole, with its values and holes),
    // JOURNAL_CURRENT (its vertices and holes),
    // JOURNAL_RENAME (its name),
    // JOURNAL_VERTICES (its vertices)
    CShape shape;
    std::string strSource;                 // JOURNAL_SOURCE
    unsigned long nFingerprint = 0;        // JOURNAL_SOURCE
    int nField = 0;                        // JOURNAL_VALUE
    FieldValue value;                      // JOURNAL_VALUE
    std::vector<CAttributeField> fields;   // JOURNAL_FIELDS
};
