// The .dbf half of the Shapefile reader (core/shape/DbfReader.cpp).
#pragma once

#include <string>

#include "core/shape/ShapefileLayer.h"

class CDbfParser
{
public:
    // Takes the whole file's bytes. nCpgCodePage is what the .cpg names (0
    // for no .cpg, or one we cannot number); it wins over the language byte.
    static ShapefileReadStatus Parse(std::string bytes, const std::string& path, unsigned nCpgCodePage,
                                     CAttributeTable* pTable);
};
