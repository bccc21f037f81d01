// Times PixelToMap over 100 million pixels (a 10000 x 10000 scan) with a
// rotated transformation, and prints nanoseconds per call.
#include <chrono>
#include <cstdio>

#include "core/georef/GeoRefArray.h"

int main()
{
    CGeoRefArray geoRef;
    geoRef.SetImageHeight(10000);
    geoRef.m_points = {
        CGeoRefPoint(500000.0, 4200000.0, 120, 9800),
        CGeoRefPoint(510000.0, 4200400.0, 9900, 9500),
        CGeoRefPoint(500300.0, 4210000.0, 400, 150),
    };
    if (!geoRef.CalcTransform())
    {
        std::fprintf(stderr, "fit failed\n");
        return 1;
    }
    const int side = 10000;
    double checksum = 0.0;
    auto start = std::chrono::steady_clock::now();
    for (int row = 0; row < side; ++row)
    {
        for (int col = 0; col < side; ++col)
        {
            double x, y;
            geoRef.PixelToMap(col, row, &x, &y);
            checksum += x - y;
        }
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double calls = double(side) * side;
    std::printf("PixelToMap: %.0f calls in %.3f s, %.2f ns per call (checksum %.6g)\n", calls, seconds,
                seconds * 1e9 / calls, checksum);
    return 0;
}
