// Scratch folders and whole-file reads for tests, native and under Wine;
// natively also the output of an outside tool.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#define QUARVEX_TEST_PID _getpid()
#else
#include <sys/wait.h>
#include <unistd.h>
#define QUARVEX_TEST_PID getpid()
#endif

// A fresh, empty folder per test, removed afterwards. The process id keeps
// the runs of several build folders on one machine out of each other's way.
class ScratchDir
{
public:
    ScratchDir()
    {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("quarvex-") + std::to_string(QUARVEX_TEST_PID) + "-" +
                           (info ? info->test_suite_name() : "t") + "-" + (info ? info->name() : "t");
        for (char& c : name)
            if (c == '/')
                c = '_';
        m_path = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb"))
    {
        char chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            bytes.append(chunk, got);
        std::fclose(f);
    }
    return bytes;
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

#ifndef _WIN32
// Runs a shell command and gives what it wrote, errors included; its exit
// code goes to *pExitCode (-1 when it did not run or end normally).
inline std::string RunTool(const std::string& command, int* pExitCode = nullptr)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe)
    {
        char chunk[4096];
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            output.append(chunk, got);
    }
    const int status = pipe ? pclose(pipe) : -1;
    if (pExitCode)
        *pExitCode = pipe && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}
#endif
