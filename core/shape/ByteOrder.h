// Fixed-size integer and double fields written and read byte by byte, so
// that the files come out (and are understood) the same whatever the host's
// byte order. Structs are never written or read as they lie in memory.
#pragma once

#include <cstdint>
#include <cstring>

// The four bytes of a 32-bit integer in reverse order: turns a value into
// the big-endian form that the Shapefile header and record headers use.
inline int32_t SwapBytes32(int32_t nValue)
{
    const uint32_t u = static_cast<uint32_t>(nValue);
    return static_cast<int32_t>((u >> 24) | ((u >> 8) & 0x0000FF00u) | ((u << 8) & 0x00FF0000u) | (u << 24));
}

inline void PutLittle16(unsigned char* p, uint16_t nValue)
{
    p[0] = static_cast<unsigned char>(nValue);
    p[1] = static_cast<unsigned char>(nValue >> 8);
}

inline void PutLittle32(unsigned char* p, int32_t nValue)
{
    const uint32_t u = static_cast<uint32_t>(nValue);
    p[0] = static_cast<unsigned char>(u);
    p[1] = static_cast<unsigned char>(u >> 8);
    p[2] = static_cast<unsigned char>(u >> 16);
    p[3] = static_cast<unsigned char>(u >> 24);
}

// Most significant byte first: the little-endian bytes of the swapped value.
inline void PutBig32(unsigned char* p, int32_t nValue) { PutLittle32(p, SwapBytes32(nValue)); }

// IEEE 754 binary64, least significant byte first.
inline void PutLittleDouble(unsigned char* p, double dValue)
{
    uint64_t u;
    std::memcpy(&u, &dValue, sizeof u);
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<unsigned char>(u >> (8 * i));
}

inline uint16_t GetLittle16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

inline int32_t GetLittle32(const unsigned char* p)
{
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

inline int32_t GetBig32(const unsigned char* p) { return SwapBytes32(GetLittle32(p)); }

inline double GetLittleDouble(const unsigned char* p)
{
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i)
        u |= uint64_t(p[i]) << (8 * i);
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}
