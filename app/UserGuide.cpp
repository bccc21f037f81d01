#include "app/UserGuide.h"

#include <string>

#include "app/ProgramFiles.h"
#include "app/res/resource.h"

namespace
{
const char kContentsPage[] = "index.html";

// Every dialog and tool window of the program, and the page F1 opens there.
const struct
{
    UINT nTemplateId;
    const char* pszPage;
} kGuidePages[] = {
    {IDD_ABOUTBOX, kContentsPage},        {IDD_START_PAGE, kContentsPage},
    {IDD_GEOREF, "control-points.html"},  {IDD_CONTROL_POINTS, "residuals-and-models.html"},
    {IDD_CRS, "coordinate-systems.html"}, {IDD_DIGITISE, "digitise.html"},
    {IDD_ADDFEATURE, "digitise.html"},    {IDD_SNAP_TOLERANCE, "snap-and-trace.html"},
    {IDD_FEATURES, "features.html"},      {IDD_FIELD, "features.html"},
    {IDD_EXPORT_GEOTIFF, "export.html"},  {IDD_CHOOSE_LAYER, "save.html"},
};
}   // namespace

const char* GuidePageFor(UINT nTemplateId)
{
    for (const auto& page : kGuidePages)
        if (page.nTemplateId == nTemplateId)
            return page.pszPage;
    return kContentsPage;
}

bool OpenUserGuide(UINT nTemplateId)
{
    return OpenShippedFile((std::string("guide\\") + GuidePageFor(nTemplateId)).c_str());
}
