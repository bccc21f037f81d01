// What the recovery journal costs a finished feature: the edit turned into
// a record, appended and flushed to the disk before the view may show it,
// through the writer the program uses. 10,000 features of 50 vertices each.
// Natively the journal is a POSIX file flushed with fdatasync; in the Win32
// build it is the program's own (%LOCALAPPDATA%\Quarvex\recovery, WriteFile
// and FlushFileBuffers), run under Wine by bench/journal.sh.
// Prints the microseconds a feature costs, with the record's size.
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>

#include "core/edit/EditHistory.h"
#include "core/journal/JournalWriter.h"

#ifdef _WIN32
#include "app/RecoveryStore.h"
#else
#include <fcntl.h>
#include <unistd.h>

#include "core/shape/StagedWrite.h"

namespace
{
// Journals in a folder (the bench build's), as the program keeps its own.
class CPosixJournalStore : public CJournalStore
{
public:
    explicit CPosixJournalStore(std::string folder) : m_folder(std::move(folder)) {}
    bool Read(const std::string&, std::string*) override { return false; }
    std::unique_ptr<CJournalFile> Create(const std::string& name, const std::string& bytes) override
    {
        if (!WriteWholeFile(m_folder + name, bytes, PortableFiles()))
            return nullptr;
        const int fd = open((m_folder + name).c_str(), O_WRONLY | O_APPEND);
        return fd < 0 ? nullptr : std::unique_ptr<CJournalFile>(new CFile(fd));
    }
    bool Remove(const std::string& name) override { return PortableFileReplacer().Remove(m_folder + name); }

private:
    class CFile : public CJournalFile
    {
    public:
        explicit CFile(int fd) : m_fd(fd) {}
        ~CFile() override { close(m_fd); }
        bool AppendDurably(const std::string& bytes) override
        {
            return write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                   fdatasync(m_fd) == 0;
        }

    private:
        int m_fd;
    };

    std::string m_folder;
};
}   // namespace
#endif

int main(int argc, char** argv)
{
    const int kFeatures = 10000, kVertices = 50;
#ifdef _WIN32
    CRecoveryStore store;
    (void)argv;
#else
    // Beside the program, in the bench build.
    const std::string program = argv[0];
    CPosixJournalStore store(program.substr(0, program.find_last_of('/') + 1));
#endif
    (void)argc;
    CJournalWriter writer(store);
    writer.SetImage("C:\\bench\\journal-bench.jpg");
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
