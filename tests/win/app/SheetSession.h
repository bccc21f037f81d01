// Steps of the whole sessions on the sample sheets: graticule crossings
// clicked and typed, a fit model chosen in the Control Points window, and
// lines digitised with the clicked pixels noted for the GDAL checks.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/georef/FitModel.h"

class AppSession;
class CControlPointsWnd;

namespace gui
{
struct TypedCrossing
{
    const char* lon;
    const char* lat;
    int column, row;
};

struct NamedLine
{
    const char* name;
    std::vector<POINT> pixels;
};

// Opens the Control Points window (F8) unless it is open already: a run
// stopped half-way leaves it open in the profile.
CControlPointsWnd* ShowControlPoints(AppSession& session);

// Clicks each crossing on the scan and types its coordinates.
void TypeCrossings(AppSession& session, const std::vector<TypedCrossing>& crossings);

// Chooses the model in the window's list, as the user does.
void ChooseFitModel(CControlPointsWnd& window, FitModel nModel);

// Digitises each line (a double click ends it) under its name, writing
// "name|x y|x y..." a line to FOLDER\KIND.expected for the GDAL checks,
// and saves them through Save As as FOLDER\KIND.shp.
void DigitiseAndSave(AppSession& session, const std::vector<NamedLine>& lines, const std::string& folder,
                     const std::string& kind);
}   // namespace gui
