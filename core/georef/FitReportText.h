// The fit report a user keeps for the records: the scan, its coordinate
// system, the date, every control point, each model's residuals, RMS and
// leave-one-out values, and the chosen model's parameters, as plain text.
#pragma once

#include <string>

#include "core/georef/FitReport.h"
#include "core/georef/GeoRefArray.h"

struct CFitReportHeading
{
    std::string strScan;   // the scan's path
    int nWidth = 0, nHeight = 0;
    std::string strCrs;                       // the coordinate system as the user knows it; "" for none
    std::string strDate;                      // when the report was made
    std::string modelNames[kFitModelCount];   // each model's name, by FitModelIndex
};

// Every model is fitted with its leave-one-out residuals (those too many
// points for are marked as not fitted). CR LF line ends.
std::string FormatFitReportText(const CGeoRefArray& geoRef, const CFitReportHeading& heading);
