#include "core/crs/CrsTransform.h"

#include <cmath>
#include <mutex>

#include <proj.h>

namespace
{
std::mutex g_folderLock;
std::string g_strDataFolder;

struct ContextDeleter
{
    void operator()(PJ_CONTEXT* p) const { proj_context_destroy(p); }
};
struct PjDeleter
{
    void operator()(PJ* p) const { proj_destroy(p); }
};
using ContextPtr = std::unique_ptr<PJ_CONTEXT, ContextDeleter>;
using PjPtr = std::unique_ptr<PJ, PjDeleter>;
}   // namespace

void SetProjDataFolder(std::string strFolder)
{
    std::lock_guard<std::mutex> lock(g_folderLock);
    g_strDataFolder = std::move(strFolder);
}

std::string GetProjDataFolder()
{
    std::lock_guard<std::mutex> lock(g_folderLock);
    return g_strDataFolder;
}

// PROJ's context is not shared between threads: each transform owns one.
// Its log goes here instead of the console, the last error kept as the
// cause shown to the user.
struct CCrsTransform::Impl
{
    ContextPtr ctx;
    PjPtr op;   // destroyed before ctx (declared after it)
    std::string strLastMessage;

    static void Log(void* pData, int nLevel, const char* pszText)
    {
        if (nLevel <= PJ_LOG_ERROR && pszText)
            static_cast<Impl*>(pData)->strLastMessage = pszText;
    }

    std::string Cause() const
    {
        if (!strLastMessage.empty())
            return strLastMessage;
        const char* pszText = proj_context_errno_string(ctx.get(), proj_context_errno(ctx.get()));
        return pszText ? pszText : std::string();
    }
};

CCrsTransform::CCrsTransform() = default;
CCrsTransform::~CCrsTransform() = default;
CCrsTransform::CCrsTransform(CCrsTransform&&) noexcept = default;
CCrsTransform& CCrsTransform::operator=(CCrsTransform&&) noexcept = default;

bool CCrsTransform::IsReady() const { return m_pImpl && m_pImpl->op; }

CStatus<CrsTransformCode> CCrsTransform::Create(int nSource, int nTarget)
{
    m_pImpl.reset();
    m_nSource = m_nTarget = 0;
    auto pImpl = std::make_unique<Impl>();
    pImpl->ctx.reset(proj_context_create());
    if (!pImpl->ctx)
        return {CrsTransformCode::NoDatabase, "proj_context_create"};
    PJ_CONTEXT* ctx = pImpl->ctx.get();
    proj_log_func(ctx, pImpl.get(), &Impl::Log);
    proj_log_level(ctx, PJ_LOG_ERROR);
    proj_context_set_enable_network(ctx, 0);
    const std::string strFolder = GetProjDataFolder();
    if (!strFolder.empty())
    {
        const char* paths[] = {strFolder.c_str()};
        proj_context_set_search_paths(ctx, 1, paths);
    }
    // Opens the database: the first cost of PROJ the program pays.
    if (!proj_context_get_database_path(ctx))
        return {CrsTransformCode::NoDatabase, pImpl->Cause()};

    auto crs = [ctx](int nCode) {
        const std::string strCode = std::to_string(nCode);
        return PjPtr(proj_create_from_database(ctx, "EPSG", strCode.c_str(), PJ_CATEGORY_CRS, 0, nullptr));
    };
    PjPtr source = crs(nSource), target = crs(nTarget);
    if (!source || !target)
        return {CrsTransformCode::UnknownSystem, "EPSG:" + std::to_string(source ? nTarget : nSource)};
    PjPtr op(proj_create_crs_to_crs_from_pj(ctx, source.get(), target.get(), nullptr, nullptr));
    if (!op)
        return {CrsTransformCode::NoOperation, pImpl->Cause()};
    // Easting before northing, longitude before latitude, whatever the
    // register's axis order.
    pImpl->op.reset(proj_normalize_for_visualization(ctx, op.get()));
    if (!pImpl->op)
        return {CrsTransformCode::NoOperation, pImpl->Cause()};
    m_pImpl = std::move(pImpl);
    m_nSource = nSource;
    m_nTarget = nTarget;
    return {};
}

CStatus<CrsTransformCode> CCrsTransform::Transform(CMapXY* pPoints, size_t nCount)
{
    if (!IsReady())
        return {CrsTransformCode::NoOperation};
    if (nCount == 0)
        return {};
    PJ* op = m_pImpl->op.get();
    proj_errno_reset(op);
    proj_trans_generic(op, PJ_FWD, &pPoints[0].x, sizeof(CMapXY), nCount, &pPoints[0].y, sizeof(CMapXY), nCount,
                       nullptr, 0, 0, nullptr, 0, 0);
    for (size_t i = 0; i < nCount; ++i)
    {
        // PROJ marks a point it could not carry with HUGE_VAL.
        if (!std::isfinite(pPoints[i].x) || !std::isfinite(pPoints[i].y))
            return {CrsTransformCode::PointFailed, std::to_string(i + 1)};
    }
    return {};
}

std::string CCrsTransform::OperationNameAt(CMapXY at)
{
    if (!IsReady() || Transform(&at, 1).GetCode() != CrsTransformCode::Ok)
        return std::string();
    // After a point, PROJ reports the one of its candidate operations it
    // used for that point, with the axis swaps of the normalisation among
    // its steps: those are ours, not the operation's, and are left out.
    const char* pszName = proj_pj_info(m_pImpl->op.get()).description;
    const std::string strName = pszName ? pszName : "";
    const std::string strSeparator = " + ", strSwap = "axis order change (2D)";
    std::string strKept;
    for (size_t start = 0; start <= strName.size();)
    {
        size_t end = strName.find(strSeparator, start);
        if (end == std::string::npos)
            end = strName.size();
        const std::string strStep = strName.substr(start, end - start);
        if (strStep != strSwap)
            strKept += (strKept.empty() ? "" : strSeparator) + strStep;
        start = end + strSeparator.size();
    }
    return strKept;
}
