#include "core/gpkg/PackedRtree.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
struct CCell
{
    int64_t id;
    float box[4];   // minX, maxX, minY, maxY
    float CentreX() const { return box[0] / 2 + box[1] / 2; }
    float CentreY() const { return box[2] / 2 + box[3] / 2; }
};

float Down(double d)
{
    float f = static_cast<float>(d);
    return f > d ? std::nextafter(f, -INFINITY) : f;
}

float Up(double d)
{
    float f = static_cast<float>(d);
    return f < d ? std::nextafter(f, INFINITY) : f;
}

void PutBigEndian(unsigned char* p, uint64_t value, int nBytes)
{
    for (int i = nBytes - 1; i >= 0; --i, value >>= 8)
        p[i] = static_cast<unsigned char>(value & 0xFF);
}

std::string NodeBytes(const CCell* cells, size_t nCells, int nDepth)
{
    std::string node(kRtreeNodeBytes, '\0');
    unsigned char* p = reinterpret_cast<unsigned char*>(&node[0]);
    PutBigEndian(p, static_cast<uint64_t>(nDepth), 2);   // the tree's depth, in the root only
    PutBigEndian(p + 2, nCells, 2);
    for (size_t i = 0; i < nCells; ++i)
    {
        unsigned char* cell = p + 4 + 24 * i;
        PutBigEndian(cell, static_cast<uint64_t>(cells[i].id), 8);
        for (int k = 0; k < 4; ++k)
        {
            uint32_t bits;
            std::memcpy(&bits, &cells[i].box[k], 4);
            PutBigEndian(cell + 8 + 4 * k, bits, 4);
        }
    }
    return node;
}

CCell Bounds(int64_t id, const CCell* cells, size_t nCells)
{
    CCell out{id, {cells[0].box[0], cells[0].box[1], cells[0].box[2], cells[0].box[3]}};
    for (size_t i = 1; i < nCells; ++i)
    {
        out.box[0] = std::min(out.box[0], cells[i].box[0]);
        out.box[1] = std::max(out.box[1], cells[i].box[1]);
        out.box[2] = std::min(out.box[2], cells[i].box[2]);
        out.box[3] = std::max(out.box[3], cells[i].box[3]);
    }
    return out;
}
}   // namespace

CPackedRtree PackRtree(std::vector<CIndexEntry> entries)
{
    std::vector<CCell> level;
    level.reserve(entries.size());
    for (const CIndexEntry& e : entries)
        level.push_back(CCell{e.id, {Down(e.minX), Up(e.maxX), Down(e.minY), Up(e.maxY)}});
    entries.clear();

    CPackedRtree tree;
    int64_t nextNode = 2;   // 1 is the root's
    for (int depth = 0;; ++depth)
    {
        // Children of this level record their node in the rowid table
        // (entries) or the parent table (nodes).
        auto adopt = [&](const CCell* cells, size_t n, int64_t node) {
            for (size_t i = 0; i < n; ++i)
                (depth == 0 ? tree.rowids : tree.parents).emplace_back(cells[i].id, node);
        };
        if (level.size() <= kRtreeCells)
        {
            tree.nodes.emplace_back(1, NodeBytes(level.data(), level.size(), depth));
            adopt(level.data(), level.size(), 1);
            break;
        }
        // Vertical slices of whole nodes by the centres' x, each cut into
        // nodes by y.
        const size_t nNodes = (level.size() + kRtreeCells - 1) / kRtreeCells;
        const size_t nSlices = static_cast<size_t>(std::ceil(std::sqrt(static_cast<double>(nNodes))));
        const size_t cbSlice = ((nNodes + nSlices - 1) / nSlices) * kRtreeCells;
        std::sort(level.begin(), level.end(), [](const CCell& a, const CCell& b) { return a.CentreX() < b.CentreX(); });
        std::vector<CCell> parents;
        for (size_t start = 0; start < level.size(); start += cbSlice)
        {
            const size_t end = std::min(level.size(), start + cbSlice);
            std::sort(level.begin() + static_cast<std::ptrdiff_t>(start),
                      level.begin() + static_cast<std::ptrdiff_t>(end),
                      [](const CCell& a, const CCell& b) { return a.CentreY() < b.CentreY(); });
            for (size_t first = start; first < end; first += kRtreeCells)
            {
                const size_t n = std::min(kRtreeCells, end - first);
                const int64_t node = nextNode++;
                tree.nodes.emplace_back(node, NodeBytes(&level[first], n, 0));
                adopt(&level[first], n, node);
                parents.push_back(Bounds(node, &level[first], n));
            }
        }
        level.swap(parents);
    }
    std::sort(tree.nodes.begin(), tree.nodes.end());
    std::sort(tree.parents.begin(), tree.parents.end());
    std::sort(tree.rowids.begin(), tree.rowids.end());
    return tree;
}
