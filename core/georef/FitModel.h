// The models a georeference can be fitted with. "Rotation and scales" is
// the program's first fit and stays the default, so that every point file
// gives the results it always gave; the two least-squares models fit any
// spread of points without its bias.
#pragma once

#include <string>
#include <vector>

#include "core/georef/AffineTransform.h"
#include "core/georef/GeoRefPoint.h"

enum class FitModel
{
    RotationScales = 0,   // a rotation of the pixel grid, then a linear relation per map axis
    Helmert = 1,          // least squares: one scale, one rotation and a shift
    Affine = 2,           // least squares: six parameters
    FromFile = 3,         // the georeference the image file brings along; no points needed
    // Later models, each a CWarpTransform; new values, so that older
    // settings files keep their meaning.
    Projective = 4,        // least squares: eight parameters, straight lines stay straight
    Polynomial2 = 5,       // least squares: second-order polynomial of column and row
    Polynomial3 = 6,       // least squares: third-order polynomial
    ThinPlateSpline = 7,   // through every point exactly
};
// Every model in the order the program lists them: the report's models and
// the Control Points window's choices. The list leaves out the file's own
// for an image without one, and a later model until the points allow it.
const FitModel kFitModels[] = {FitModel::RotationScales, FitModel::Helmert,        FitModel::Affine,
                               FitModel::FromFile,       FitModel::Projective,     FitModel::Polynomial2,
                               FitModel::Polynomial3,    FitModel::ThinPlateSpline};
const int kFitModelCount = static_cast<int>(sizeof kFitModels / sizeof kFitModels[0]);
// The model's place in kFitModels.
inline int FitModelIndex(FitModel nModel) { return static_cast<int>(nModel); }

// The image setting that holds the chosen model.
const char kFitSettingKey[] = "fit";
// The image setting that names the switched-off points: their numbers
// (from 1, in the point file's order) with commas between; empty for none.
const char kPointsOffSettingKey[] = "off";
std::string PointsOffSettingValue(const std::vector<CGeoRefPoint>& points);
// Switches off the points the value names; numbers that are not points are
// passed over.
void ApplyPointsOffSetting(const std::string& strValue, std::vector<CGeoRefPoint>* pPoints);
// Its value: empty for the default, which is then left out of the
// settings file.
std::string FitModelSettingValue(FitModel nModel);
// An absent or unknown value is the default.
FitModel ParseFitModelSetting(const std::string& strValue);

// How many control points the model needs at the least.
int FitModelMinimumPoints(FitModel nModel);
// The parameters the model fits: 2 per map axis and point beyond them are
// what the residuals can tell of the points' own errors.
int FitModelParameters(FitModel nModel);
// The fits that are not affine, as CWarpTransform (WarpTransform.h) makes them.
enum class WarpKind
{
    Polynomial2,       // 6 terms a map axis
    Polynomial3,       // 10 terms a map axis
    Projective,        // 8 parameters: straight lines stay straight
    ThinPlateSpline,   // through every point, the least bent surface between
};

// The fewest control points a warp of that kind can be fitted from.
int WarpMinimumPoints(WarpKind nKind);

// True for the models a CWarpTransform carries, with its kind.
bool IsWarpModel(FitModel nModel, WarpKind* pKind = nullptr);

// Least-squares fits from image column and row to map coordinates. False
// when the points do not determine the model: too few, all on one pixel
// (Helmert) or on one line (affine), or a mapping that folds the plane.
//
// Helmert keeps the image's rows running down the map:
//   mapX = x0 + a column + b row,  mapY = y0 + b column - a row.
bool FitHelmert(const std::vector<CGeoRefPoint>& points, CAffineTransform* pFit);
bool FitAffine(const std::vector<CGeoRefPoint>& points, CAffineTransform* pFit);

// The rotation of the image's x axis from the map's east, measured on the
// image and in the sense of the first model's rotation (all models show the
// same angle for a sheet that is turned and scaled per axis), and the map
// units per pixel of X and of Y; the Y scale is negative when the mapping
// mirrors the image.
void DescribeAffine(const CAffineTransform& fit, double* pdRotation, double* pdScaleX, double* pdScaleY);
