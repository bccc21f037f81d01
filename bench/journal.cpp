// What the recovery journal costs a finished feature: the edit turned into
// a record, appended and flushed to the disk before the view may show it,
// through the writer the program uses. 10,000 features of 50 vertices each.
// Natively the journal is a C library file flushed with fdatasync; in the Win32
// build it is the program's own (%LOCALAPPDATA%\Quarvex\recovery, WriteFile
// and FlushFileBuffers), run under Wine by bench/journal.sh.
// Prints the microseconds a feature costs, with the record's size.
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>

#include "core/edit/EditHistory.h"
#include "core/edit/JournalWriter.h"

#ifdef _WIN32
#include "app/RecoveryStore.h"
#include "winbase/Win32Files.h"
#else
#include "core/io/StdioFileSystem.h"
#endif

int main(int argc, char** argv)
{
    const int kFeatures = 10000, kVertices = 50;
#ifdef _WIN32
    CJournalWriter writer(Win32Files());
    const std::string folder = CRecoveryStore::PathOf("");
    (void)argv;
#else
    CJournalWriter writer(StdioFileSystem());
    // Beside the program, in the bench build.
    const std::string program = argv[0];
    const std::string folder = program.substr(0, program.find_last_of('/') + 1);
#endif
    (void)argc;
    writer.SetImage("C:\\bench\\journal-bench.jpg", folder);
    CShapeArray features;
    CShape current;
    for (int v = 0; v < kVertices; ++v)
        current.Add(1000 + 37 * v, 2000 + (v * v) % 500);
    CFinishFeatureEdit edit(current, SHAPE_POLYLINE, "Road 12 (gravel)", 0);
    // The first change writes the journal whole; the features after it are
    // what a user's work costs.
    writer.Record(edit, EditStep::Done, features, SHAPE_POLYLINE, 1765000000);
    int failed = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= kFeatures; ++i)
    {
        edit.m_nIndex = i;
        failed += writer.Record(edit, EditStep::Done, features, SHAPE_POLYLINE, 1765000000 + i) != JOURNAL_WRITTEN;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    CJournalRecord record;
    record.nKind = JOURNAL_INSERT;
    record.shape = edit.m_feature;
#ifdef _WIN32
    const char* pszBuild = "Win32";
#else
    const char* pszBuild = "native (fdatasync)";
#endif
    std::printf("%s: %d features of %d vertices (%u-byte records): %8.1f us a feature%s\n", pszBuild, kFeatures,
                kVertices, static_cast<unsigned>(EncodeJournalRecord(record).size()), seconds * 1e6 / kFeatures,
                failed ? "  SOME NOT WRITTEN" : "");
    writer.Remove();
    return failed ? 1 : 0;
}
