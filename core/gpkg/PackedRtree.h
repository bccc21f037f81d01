// A spatial index packed in one pass (sort-tile-recursive), laid out as
// SQLite's R*Tree module stores a 2-dimensional index in its three shadow
// tables. Inserting 100,000 boxes through the module one by one costs a
// couple of seconds of node splitting; packing them costs a sort.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct CIndexEntry
{
    int64_t id = 0;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
};

struct CPackedRtree
{
    std::vector<std::pair<int64_t, std::string>> nodes;   // <name>_node: node number, node bytes (node 1 the root)
    std::vector<std::pair<int64_t, int64_t>> parents;     // <name>_parent: node number, its parent's
    std::vector<std::pair<int64_t, int64_t>> rowids;      // <name>_rowid: entry id, its leaf's node number
};

// The module's node for 2 dimensions on pages of 4096 bytes: a 4-byte
// header and at most 51 cells of an 8-byte id and four 4-byte floats.
const size_t kRtreeCells = 51;
const size_t kRtreeNodeBytes = 4 + 24 * kRtreeCells;

// Boxes are stored as floats rounded outwards, as the module rounds them.
CPackedRtree PackRtree(std::vector<CIndexEntry> entries);
