#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/preinst/PathString.h"
#include "core/preinst/PreInstChecks.h"

namespace
{

// --- CPathString -----------------------------------------------------------

TEST(PathString, AppendsInPlaceAndReadsBeyondTheEndAsNul)
{
    CPathString path("C:\\CD");
    CPathString& same = path.Append("\\").Append("ie6");
    EXPECT_EQ(&same, &path);
    EXPECT_STREQ(path.GetText(), "C:\\CD\\ie6");
    EXPECT_EQ(path.GetLength(), 9u);
    EXPECT_EQ(path.GetAt(0), 'C');
    EXPECT_EQ(path.GetAt(8), '6');
    EXPECT_EQ(path.GetAt(9), '\0');
    EXPECT_EQ(path.GetAt(100000), '\0');
    EXPECT_TRUE(path.IsComplete());
}

TEST(PathString, HoldsExactly253CharactersAndRefusesOneMore)
{
    const std::string fits(CPathString::kMaxLength, 'a');
    CPathString full(fits.c_str());
    EXPECT_TRUE(full.IsComplete());
    EXPECT_EQ(full.GetLength(), 253u);

    full.Append("b");
    EXPECT_FALSE(full.IsComplete());
    EXPECT_EQ(full.GetLength(), 253u) << "a refused append leaves the text as it was";
    EXPECT_EQ(std::string(full.GetText()), fits);

    CPathString tooLong(std::string(254, 'a').c_str());
    EXPECT_FALSE(tooLong.IsComplete());
    EXPECT_EQ(tooLong.GetLength(), 0u);
}

TEST(PathString, NeverWritesOutsideItsBufferNorReadsBeyondWhatCouldFit)
{
    // Canaries on both sides of the object; ASan in the native build guards the rest.
    struct Guarded
    {
        char before[16];
        CPathString path;
        char after[16];
    } guarded;
    std::memset(guarded.before, 0x5A, sizeof guarded.before);
    std::memset(guarded.after, 0x5A, sizeof guarded.after);

    // An unterminated source: Append may look at no more than the room left + 1.
    std::vector<char> unterminated(CPathString::kCapacity, 'x');
    guarded.path.Append("C:\\");
    guarded.path.Append(unterminated.data());
    EXPECT_FALSE(guarded.path.IsComplete());
    for (int i = 0; i < 10; ++i)
        guarded.path.Append(std::string(5000, 'y').c_str());
    EXPECT_STREQ(guarded.path.GetText(), "C:\\");
    for (char c : guarded.before)
        ASSERT_EQ(c, 0x5A);
    for (char c : guarded.after)
        ASSERT_EQ(c, 0x5A);
}

// --- The version test ------------------------------------------------------

struct VersionCase
{
    std::string version;
    bool recentEnough;
};

TEST(IeVersion, IsComparedNumerically)
{
    const VersionCase cases[] = {
        {"6.0.2800.1106", true},
        {"5.50.4807.2300", true},
        {"4.72.3110.0", true},
        {"4.72", true},
        {"4.100", true},
        {"11.0.9600.18860", true},
        {"10.0.9200.16384", true},   // two characters would call this too old
        {"5", true},
        {"4.71.1712.6", false},
        {"4.70.1300", false},
        {"4.0", false},
        {"4.7", false},   // minor 7, not 70-something
        {"4", false},
        {"4.", false},
        {"4.x", false},
        {"3.02.1", false},
        {"0.99", false},
        {"", false},
        {"abc", false},
        {"A.72", false},
        {".5", false},
        {"99999999999999999999.0", true},   // saturates, does not wrap
        {"4.99999999999999999999", true},
        {std::string("6.0\0garbage", 11), true},
        {std::string("\0"
                     "6.0",
                     4),
         false},   // the text ends at its first NUL
    };
    for (const VersionCase& c : cases)
        EXPECT_EQ(IsIeVersionRecentEnough(c.version), c.recentEnough) << '"' << c.version << '"';
}

// --- Media paths ------------------------------------------------------------

TEST(MediaPath, SourceWithOrWithoutTrailingBackslashGivesTheSamePaths)
{
    for (const char* source : {"C:\\CD", "C:\\CD\\"})
    {
        EXPECT_STREQ(FormMediaPath(source, kIeInstallerOnMedia).GetText(), "C:\\CD\\ie6\\en\\ie6setup.exe") << source;
        EXPECT_STREQ(FormMediaPath(source, kReaderInstallerOnMedia).GetText(), "C:\\CD\\Acrobat\\ar40eng.exe")
            << source;
    }
    EXPECT_STREQ(FormMediaPath("", kReaderInstallerOnMedia).GetText(), "\\Acrobat\\ar40eng.exe");
    EXPECT_STREQ(FormMediaPath(nullptr, kReaderInstallerOnMedia).GetText(), "\\Acrobat\\ar40eng.exe");
}

TEST(MediaPath, IsIncompleteWhenTheFormedPathExceeds253Characters)
{
    const std::size_t relative = std::strlen(kIeInstallerOnMedia);   // 19
    const std::string fits = "C:\\" + std::string(CPathString::kMaxLength - relative - 4, 'd');
    EXPECT_EQ(FormMediaPath(fits.c_str(), kIeInstallerOnMedia).GetLength(), 253u);
    EXPECT_TRUE(FormMediaPath(fits.c_str(), kIeInstallerOnMedia).IsComplete());
    EXPECT_FALSE(FormMediaPath((fits + "d").c_str(), kIeInstallerOnMedia).IsComplete());
    EXPECT_FALSE(FormMediaPath(std::string(100000, 'd').c_str(), kIeInstallerOnMedia).IsComplete());
}

TEST(MediaPath, CommandLineQuotesThePath)
{
    EXPECT_EQ(QuotedCommandLine("C:\\Program Files\\CD\\ie6\\en\\ie6setup.exe"),
              "\"C:\\Program Files\\CD\\ie6\\en\\ie6setup.exe\"");
}

// --- The decision flow ------------------------------------------------------

// A computer and a user as plain data; records what the checks did.
class CFakeSystem : public IPreInstSystem
{
public:
    bool hasIeVersion = true;
    std::string ieVersion = "6.0.2800.1106";
    std::set<std::string> keys;
    std::set<std::string> files;
    bool answerYes = false;

    std::vector<PreInstMessage> shown;
    std::vector<std::string> started;

    bool ReadIeVersion(std::string& bytes) override
    {
        bytes = ieVersion;
        return hasIeVersion;
    }
    bool KeyExists(const char* subKey) override { return keys.count(subKey) != 0; }
    bool FileExists(const char* path) override { return files.count(path) != 0; }
    bool ShowMessage(PreInstMessage message) override
    {
        shown.push_back(message);
        return IsYesNoMessage(message) && answerYes;
    }
    void StartProgram(const char* commandLine) override { started.push_back(commandLine); }
};

const char* const kSource = "D:\\Setup Media";
const char* const kIeInstaller = "D:\\Setup Media\\ie6\\en\\ie6setup.exe";
const char* const kReaderInstaller = "D:\\Setup Media\\Acrobat\\ar40eng.exe";

struct FlowCase
{
    const char* name;
    bool hasIeVersion;
    const char* ieVersion;
    std::set<std::string> keys;
    std::set<std::string> files;
    bool answerYes;
    std::vector<PreInstMessage> shown;
    std::vector<std::string> started;
    int result;
};

TEST(PreInstFlow, EveryOutcome)
{
    const std::string startIe = std::string("\"") + kIeInstaller + "\"";
    const std::string startReader = std::string("\"") + kReaderInstaller + "\"";
    const std::set<std::string> reader = {kReaderKey};
    const std::set<std::string> both = {kIeInstaller, kReaderInstaller};
    const FlowCase cases[] = {
        {"IE value missing", false, "", reader, both, true, {PREINST_IE_REQUIRED}, {}, 0},
        {"IE too old, no installer",
         true,
         "4.71.1712.6",
         reader,
         {kReaderInstaller},
         true,
         {PREINST_IE_REQUIRED},
         {},
         0},
        {"IE too old, Yes", true, "4.0", reader, both, true, {PREINST_OFFER_IE, PREINST_RE_RUN}, {startIe}, 0},
        {"IE too old, No", true, "4.70.1300", reader, both, false, {PREINST_OFFER_IE, PREINST_INSTALL_IE}, {}, 0},
        {"IE not a version", true, "abc", {}, {}, false, {PREINST_IE_REQUIRED}, {}, 0},
        {"Reader present", true, "6.0", reader, both, true, {}, {}, 1},
        {"Reader 3.0 present", true, "6.0", {kReader3Key}, both, true, {}, {}, 1},
        {"Reader absent, no installer", true, "6.0", {}, {kIeInstaller}, true, {PREINST_NO_READER}, {}, 1},
        {"Reader absent, Yes",
         true,
         "5.50.4807.2300",
         {},
         both,
         true,
         {PREINST_OFFER_READER, PREINST_RE_RUN},
         {startReader},
         0},
        {"Reader absent, No", true, "4.72.3110.0", {}, both, false, {PREINST_OFFER_READER}, {}, 1},
        {"Version 10", true, "10.0.9200.16384", reader, both, true, {}, {}, 1},
        {"Other Adobe key", true, "6.0", {"SOFTWARE\\Adobe\\Acrobat Reader 4.0"}, {}, true, {PREINST_NO_READER}, {}, 1},
    };
    for (const FlowCase& c : cases)
    {
        CFakeSystem system;
        system.hasIeVersion = c.hasIeVersion;
        system.ieVersion = c.ieVersion;
        system.keys = c.keys;
        system.files = c.files;
        system.answerYes = c.answerYes;
        EXPECT_EQ(RunPreInstChecks(system, kSource), c.result) << c.name;
        EXPECT_EQ(system.shown, c.shown) << c.name;
        EXPECT_EQ(system.started, c.started) << c.name;
    }
}

TEST(PreInstFlow, OverLongSourceTreatsBothInstallersAsAbsent)
{
    const std::string source = "C:\\" + std::string(300, 'd');
    CFakeSystem system;
    system.answerYes = true;
    // Even a file system that claims every truncated prefix exists is not asked.
    system.files = {source.substr(0, 253), "C:\\", "\\ie6\\en\\ie6setup.exe", "\\Acrobat\\ar40eng.exe"};
    EXPECT_EQ(RunPreInstChecks(system, source.c_str()), 1);
    EXPECT_EQ(system.shown, std::vector<PreInstMessage>{PREINST_NO_READER});
    EXPECT_TRUE(system.started.empty());

    system.shown.clear();
    system.ieVersion = "4.0";
    EXPECT_EQ(RunPreInstChecks(system, source.c_str()), 0);
    EXPECT_EQ(system.shown, std::vector<PreInstMessage>{PREINST_IE_REQUIRED});
    EXPECT_TRUE(system.started.empty());
}

}   // namespace
