// One change a user makes to the control points, the fit or the features,
// held as a value with everything it replaces: it can be applied, taken
// back and applied again, and written down as it is (a journal). The
// document changes for a user's edit only through CEdit::Apply.
//
// Each kind of edit is one small struct below, with all it knows: its name
// in the Undo and Redo items, what it changes (kScope), how it is applied
// and taken back, and, for a change of the finished features, the journal
// record of each step. A new kind is one more struct here and in Edit.cpp,
// and one more entry in CEdit::Kind; a new name also needs its text in the
// shell's table (EditNameStringId).
#pragma once

#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "core/georef/GeoRefArray.h"
#include "core/shape/Shape.h"

struct CJournalRecord;

// What the Undo and Redo items call an edit; the shell gives each its text.
enum class EditName
{
    AddPoint,
    DeletePoint,
    MovePoint,
    EditPoint,
    DeleteAllPoints,
    FitModel,
    SwitchPoint,
    ReplacePoints,
    AddVertex,
    RemoveVertex,
    FinishFeature,
    DiscardFeature,
    DeleteAllFeatures,
    RenameFeature,
    DeleteFeature,
    MoveFeature,
    MoveVertex,
    InsertVertex,
    DeleteVertex,
    TraceNeighbour,
    TraceLine,
    EditValue,
    AddField,
    RemoveField,
    ChangeField,
    AddHole,
};

// What an edit changes, and so who has to follow it.
enum class EditScope
{
    Georeference,   // the control points or the fit model: the fit, the point file, the image settings
    Features,       // the finished features: the list, the journal, the unsaved flag
    Digitising,     // the feature being digitised, and nothing else
};

// What edits change: the document's georeference, its finished features
// with the type they are digitised as, and the feature being digitised.
struct CEditTarget
{
    CGeoRefArray& geoRef;
    CShapeArray& features;
    ShapeType& nShapeType;
    CShape& current;
};

// Every kind below applies itself forward (bForward) or takes itself back;
// false, with nothing changed, when it does not match the target (an index
// that is not there). A kind of EditScope::Features also gives the journal
// record of a step: pRecord comes with the time and the features' type, the
// kind fills in the rest; false when the journal needs the whole list again.

struct CAddPointEdit
{
    static constexpr EditScope kScope = EditScope::Georeference;
    int m_nIndex;
    CGeoRefPoint m_point;

    EditName Name() const { return EditName::AddPoint; }
    bool Apply(bool bForward, CEditTarget& target) const;
};

struct CDeletePointEdit
{
    static constexpr EditScope kScope = EditScope::Georeference;
    int m_nIndex;
    CGeoRefPoint m_point;

    EditName Name() const { return EditName::DeletePoint; }
    bool Apply(bool bForward, CEditTarget& target) const;
};

// The texts or the pixel of the point at m_nIndex.
struct CChangePointEdit
{
    static constexpr EditScope kScope = EditScope::Georeference;
    int m_nIndex;
    CGeoRefPoint m_pointBefore;
    CGeoRefPoint m_point;

    EditName Name() const;
    bool Apply(bool bForward, CEditTarget& target) const;
};

struct CDeleteAllPointsEdit
{
    static constexpr EditScope kScope = EditScope::Georeference;
    std::vector<CGeoRefPoint> m_points;

    EditName Name() const { return EditName::DeleteAllPoints; }
    bool Apply(bool bForward, CEditTarget& target) const;
};

struct CSetFitModelEdit
{
    static constexpr EditScope kScope = EditScope::Georeference;
    FitModel m_nFitModelBefore;
    FitModel m_nFitModel;

    EditName Name() const { return EditName::FitModel; }
    bool Apply(bool bForward, CEditTarget& target) const;
};

// The point at m_nIndex switched off (m_bOff) or on again.
struct CSwitchPointEdit
{
    static constexpr EditScope kScope = EditScope::Georeference;
    int m_nIndex;
    bool m_bOff;

    EditName Name() const { return EditName::SwitchPoint; }
    bool Apply(bool bForward, CEditTarget& target) const;
};

// Every point replaced by others, such as those read from another tool's file.
struct CReplacePointsEdit
{
    static constexpr EditScope kScope = EditScope::Georeference;
    std::vector<CGeoRefPoint> m_pointsBefore;
    std::vector<CGeoRefPoint> m_points;

    EditName Name() const { return EditName::ReplacePoints; }
    bool Apply(bool bForward, CEditTarget& target) const;
};

// A vertex appended to the feature being digitised.
struct CAddVertexEdit
{
    static constexpr EditScope kScope = EditScope::Digitising;
    CShapeVertex m_vertex;

    EditName Name() const { return EditName::AddVertex; }
    bool Apply(bool bForward, CEditTarget& target) const;
};

// The last vertex of the feature being digitised, removed.
struct CRemoveVertexEdit
{
    static constexpr EditScope kScope = EditScope::Digitising;
    CShapeVertex m_vertex;

    EditName Name() const { return EditName::RemoveVertex; }
    bool Apply(bool bForward, CEditTarget& target) const;
};

// A hole begun in the polygon being digitised, after its m_nAt vertices:
// the vertices clicked next are its ring.
struct CStartHoleEdit
{
    static constexpr EditScope kScope = EditScope::Digitising;
    int m_nAt;

    EditName Name() const { return EditName::AddHole; }
    bool Apply(bool bForward, CEditTarget& target) const;
};

// The feature being digitised, named and stored at m_nIndex; a polygon's
// ring is closed with a copy of its first vertex, as it is stored.
struct CFinishFeatureEdit
{
    static constexpr EditScope kScope = EditScope::Features;
    CFinishFeatureEdit(const CShape& current, ShapeType nShapeType, const std::string& strName, int nIndex,
                       std::vector<FieldValue> values = std::vector<FieldValue>());

    int m_nIndex;
    ShapeType m_nShapeType;
    CShape m_shape;     // the clicks, as they come back on undo
    CShape m_feature;   // as the list holds it

    EditName Name() const { return EditName::FinishFeature; }
    bool Apply(bool bForward, CEditTarget& target) const;
    bool JournalRecord(bool bForward, CJournalRecord* pRecord) const;
};

struct CDiscardFeatureEdit
{
    static constexpr EditScope kScope = EditScope::Digitising;
    CShape m_shape;

    EditName Name() const { return EditName::DiscardFeature; }
    bool Apply(bool bForward, CEditTarget& target) const;
};

// Every finished feature removed (the way back to georeferencing); taken
// back, they are digitised again as the type they were made as.
struct CDeleteAllFeaturesEdit
{
    static constexpr EditScope kScope = EditScope::Features;
    CShapeArray m_features;
    ShapeType m_nShapeType;

    EditName Name() const { return EditName::DeleteAllFeatures; }
    bool Apply(bool bForward, CEditTarget& target) const;
    bool JournalRecord(bool bForward, CJournalRecord* pRecord) const;
};

struct CRenameFeatureEdit
{
    static constexpr EditScope kScope = EditScope::Features;
    CRenameFeatureEdit(int nIndex, const CShape& feature, const std::string& strName);

    int m_nIndex;
    std::string m_strNameBefore;
    std::string m_strName;

    EditName Name() const { return EditName::RenameFeature; }
    bool Apply(bool bForward, CEditTarget& target) const;
    bool JournalRecord(bool bForward, CJournalRecord* pRecord) const;
};

struct CDeleteFeatureEdit
{
    static constexpr EditScope kScope = EditScope::Features;
    int m_nIndex;
    CShape m_feature;

    EditName Name() const { return EditName::DeleteFeature; }
    bool Apply(bool bForward, CEditTarget& target) const;
    bool JournalRecord(bool bForward, CJournalRecord* pRecord) const;
};

// Every vertex of the finished feature at m_nIndex shifted by the same
// number of pixels. The journal takes the whole list again.
struct CMoveFeatureEdit
{
    static constexpr EditScope kScope = EditScope::Features;
    int m_nIndex;
    int m_nDx;
    int m_nDy;

    EditName Name() const { return EditName::MoveFeature; }
    bool Apply(bool bForward, CEditTarget& target) const;
    bool JournalRecord(bool, CJournalRecord*) const { return false; }
};

// The vertices of finished feature m_nIndex replaced, its name kept: what
// moving, inserting and deleting one of them does. The journal keeps the
// whole new list, so that a record never depends on how a ring is stored.
struct CFeatureVerticesEdit
{
    static constexpr EditScope kScope = EditScope::Features;
    int m_nIndex;
    std::vector<CShapeVertex> m_before;
    std::vector<CShapeVertex> m_after;

    bool Apply(bool bForward, CEditTarget& target) const;
    bool JournalRecord(bool bForward, CJournalRecord* pRecord) const;
};

struct CMoveVertexEdit : CFeatureVerticesEdit
{
    EditName Name() const { return EditName::MoveVertex; }
};

struct CInsertVertexEdit : CFeatureVerticesEdit
{
    EditName Name() const { return EditName::InsertVertex; }
};

struct CDeleteVertexEdit : CFeatureVerticesEdit
{
    EditName Name() const { return EditName::DeleteVertex; }
};

// The vertices of the feature being digitised replaced in one step: a
// stretch taken from a neighbour's border or traced along the scan, which
// one undo takes back whole.
struct CCurrentVerticesEdit
{
    static constexpr EditScope kScope = EditScope::Digitising;
    std::vector<CShapeVertex> m_before;
    std::vector<CShapeVertex> m_after;

    bool Apply(bool bForward, CEditTarget& target) const;
};

struct CTraceNeighbourEdit : CCurrentVerticesEdit
{
    bool m_bOtherWay = false;   // the longer way round the neighbour's ring
    EditName Name() const { return EditName::TraceNeighbour; }
};

struct CTraceLineEdit : CCurrentVerticesEdit
{
    EditName Name() const { return EditName::TraceLine; }
};

// The value of field m_nField of feature m_nIndex.
struct CSetValueEdit
{
    static constexpr EditScope kScope = EditScope::Features;
    int m_nIndex;
    int m_nField;
    FieldValue m_before;
    FieldValue m_after;

    EditName Name() const { return EditName::EditValue; }
    bool Apply(bool bForward, CEditTarget& target) const;
    bool JournalRecord(bool bForward, CJournalRecord* pRecord) const;
};

// A field put in at m_nField, every feature without a value of it. Changes
// of the fields are rare: the journal takes the whole list again.
struct CAddFieldEdit
{
    static constexpr EditScope kScope = EditScope::Features;
    int m_nField;
    CAttributeField m_field;

    EditName Name() const { return EditName::AddField; }
    bool Apply(bool bForward, CEditTarget& target) const;
    bool JournalRecord(bool, CJournalRecord*) const { return false; }
};

// A field and every feature's value of it, which come back on undo.
struct CRemoveFieldEdit
{
    static constexpr EditScope kScope = EditScope::Features;
    int m_nField;
    CAttributeField m_field;
    std::vector<FieldValue> m_column;

    EditName Name() const { return EditName::RemoveField; }
    bool Apply(bool bForward, CEditTarget& target) const;
    bool JournalRecord(bool, CJournalRecord*) const { return false; }
};

// A field renamed, or given another default or reuse of the last value.
struct CChangeFieldEdit
{
    static constexpr EditScope kScope = EditScope::Features;
    int m_nField;
    CAttributeField m_before;
    CAttributeField m_after;

    EditName Name() const { return EditName::ChangeField; }
    bool Apply(bool bForward, CEditTarget& target) const;
    bool JournalRecord(bool, CJournalRecord*) const { return false; }
};

// An edit of any kind, as the history keeps it and its listeners hear it.
class CEdit
{
public:
    using Kind =
        std::variant<CAddPointEdit, CDeletePointEdit, CChangePointEdit, CDeleteAllPointsEdit, CSetFitModelEdit,
                     CSwitchPointEdit, CReplacePointsEdit, CAddVertexEdit, CRemoveVertexEdit, CFinishFeatureEdit,
                     CDiscardFeatureEdit, CDeleteAllFeaturesEdit, CRenameFeatureEdit, CDeleteFeatureEdit,
                     CMoveFeatureEdit, CMoveVertexEdit, CInsertVertexEdit, CDeleteVertexEdit, CTraceNeighbourEdit,
                     CTraceLineEdit, CSetValueEdit, CAddFieldEdit, CRemoveFieldEdit, CChangeFieldEdit, CStartHoleEdit>;

    template <class K, class = std::enable_if_t<std::is_constructible_v<Kind, K&&>>>
    CEdit(K&& kind) : m_kind(std::forward<K>(kind))
    {
    }

    EditName Name() const;
    EditScope Scope() const;
    // A change of the control points or of the model refits at once.
    bool Apply(bool bForward, CEditTarget& target) const;
    // The journal's record of a step, as the kinds above give it; false for
    // an edit that does not change the finished features.
    bool JournalRecord(bool bForward, CJournalRecord* pRecord) const;

    // The edit as its kind, or null when it is of another.
    template <class K>
    const K* As() const
    {
        return std::get_if<K>(&m_kind);
    }

private:
    Kind m_kind;
};
