// How well each fit model matches the control points: the residual of every
// point in map units and in pixels, the RMS, the worst point, and hints at
// the likely mistakes behind a poor fit. What the Control Points window shows.
#pragma once

#include <vector>

#include "core/georef/AffineTransform.h"
#include "core/georef/FitModel.h"
#include "core/georef/GeoRefArray.h"

// Fitted map position of a point's pixel minus its typed map position, and
// the same vector in pixels through the inverse of the fit.
struct CPointResidual
{
    double dX = 0.0, dY = 0.0, dLength = 0.0;
    double dPixelX = 0.0, dPixelY = 0.0, dPixelLength = 0.0;
    // Leave-one-out: the same residual of the fit made without this point,
    // in map units and in pixels (through the full fit's inverse as above);
    // bLeftOut false when the other points cannot be fitted.
    bool bLeftOut = false;
    double dLeftOutX = 0.0, dLeftOutY = 0.0, dLeftOutLength = 0.0, dLeftOutPixels = 0.0;
    // What the outlier hint sets it against (pixels): the median residual of
    // the other points in the fit made without this one; for the spline,
    // which passes through them all, the median of their own leave-one-out
    // residuals.
    double dOthersPixels = 0.0;
};

struct CModelFit
{
    FitModel nModel = FitModel::RotationScales;
    bool bFitted = false;
    int nMorePointsNeeded = 0;   // how many points short of the model's minimum
    bool bSkipped = false;       // not fitted beside the chosen model: too many points (kReportSplinePoints)
    CAffineTransform affine;     // column and row to map
    double dRotation = 0.0;      // radians, as GetRotation gives it
    double dScaleX = 0.0, dScaleY = 0.0;
    std::vector<CPointResidual> residuals;   // one a point, when fitted
    double dRmsMap = 0.0, dRmsPixels = 0.0;
    int nWorst = -1;   // the point with the largest residual, -1 when every one is negligible
};

enum FitHintKind
{
    HINT_SCALES_OPPOSITE,    // the fit mirrors the image: easting and northing swapped?
    HINT_SCALES_UNEQUAL,     // one axis scaled far more than the other: swapped, or a typing slip?
    HINT_POINTS_ON_A_LINE,   // the points (pixels or map positions) lie nearly on one line
    HINT_OUTLIER,            // nPoint's leave-one-out residual stands far above the others' (kOutlierFactor)
};

struct CFitHint
{
    FitHintKind nKind;
    int nPoint = -1;
};

struct CFitReport
{
    FitModel nChosenModel = FitModel::RotationScales;
    CModelFit models[kFitModelCount];
    std::vector<CFitHint> hints;

    const CModelFit& Model(FitModel nModel) const { return models[FitModelIndex(nModel)]; }
    const CModelFit& Chosen() const { return Model(nChosenModel); }
};

// A point is an outlier when its leave-one-out residual is above
// kOutlierFactor times dOthersPixels and above kOutlierFloorPixels: see the
// README's "Fit models" for the choice.
const double kOutlierFactor = 5.0;
const double kOutlierFloorPixels = 5.0;
// Work bounds that keep a change quick with many points: leave-one-out by
// fitting again is found up to this many points (the spline's comes from
// its own system at any count), and the spline, whose system grows with the
// cube of the points, is fitted beside the chosen model up to this many.
const int kLeaveOneOutRefitPoints = 200;
const int kReportSplinePoints = 300;

// Fits one model on the points of geoRef (which stays untouched); with
// bLeaveOneOut also once without each point in turn.
CModelFit EvaluateFit(const CGeoRefArray& geoRef, FitModel nModel, bool bLeaveOneOut = false);
// Fits every model, and gathers the hints for the chosen one, whose
// leave-one-out residuals it also finds.
CFitReport EvaluateFits(const CGeoRefArray& geoRef);
