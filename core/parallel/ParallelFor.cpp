#include "core/parallel/ParallelFor.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

int HardwareThreads()
{
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(std::min(n, 256u));
}

bool ParallelFor(long long nCount, const std::function<void(long long, long long)>& work, int nThreads,
                 long long nMinBand)
{
    if (nCount <= 0)
        return true;
    if (nThreads <= 0)
        nThreads = HardwareThreads();
    nMinBand = std::max(1LL, nMinBand);
    const long long nBands = std::max(1LL, std::min<long long>(nThreads, nCount / nMinBand));
    if (nBands == 1)
    {
        work(0, nCount);
        return true;
    }

    std::exception_ptr firstError;
    std::mutex errorLock;
    auto runBand = [&](long long band) {
        // Bands differ in size by at most one item.
        const long long first = nCount * band / nBands, last = nCount * (band + 1) / nBands;
        try
        {
            work(first, last);
        }
        catch (...)
        {
            std::lock_guard<std::mutex> hold(errorLock);
            if (!firstError)
                firstError = std::current_exception();
        }
    };

    std::vector<std::thread> threads;
    bool started = true;
    long long band = 1;   // band 0 runs on the caller's thread
    try
    {
        threads.reserve(static_cast<size_t>(nBands - 1));
        for (; band < nBands; ++band)
            threads.emplace_back(runBand, band);
    }
    catch (const std::system_error&)
    {
        started = false;
    }
    catch (const std::bad_alloc&)
    {
        started = false;
    }
    runBand(0);
    // Bands whose thread could not be started run here, after band 0.
    for (long long rest = band; rest < nBands; ++rest)
        runBand(rest);
    for (std::thread& thread : threads)
        thread.join();
    if (firstError)
        std::rethrow_exception(firstError);
    return started;
}
