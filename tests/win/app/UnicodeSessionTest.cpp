// A scan in a folder named in four scripts, on a Western Windows (code page
// 1252, which has none of these letters): control points, features named in
// Cyrillic, Greek and CJK, Save As, the GeoTIFF export, Transpose; the
// profile's recent files and a restart reopen it; the recovery journal
// brings such names back. check_unicode_session.py then reads the files with
// GDAL, natively.
#include <gtest/gtest.h>

#include "app/FeaturesWnd.h"
#include "app/RecoveryStore.h"
#include "app/res/resource.h"
#include "core/journal/RecoveryJournal.h"
#include "tests/win/app/AppSession.h"
#include "tests/win/app/MouseDriver.h"
#include "winbase/Registry.h"
#include "winbase/Wide.h"

using gui::ModalScript;

namespace
{
// C:\Карты\Χάρτες\地図\🗺
const char* const kFolders[] = {"C:\\\xD0\x9A\xD0\xB0\xD1\x80\xD1\x82\xD1\x8B",
                                "\\\xCE\xA7\xCE\xAC\xCF\x81\xCF\x84\xCE\xB5\xCF\x82", "\\\xE5\x9C\xB0\xE5\x9B\xB3",
                                "\\\xF0\x9F\x97\xBA"};
const char kCyrillic[] = "\xD0\x9C\xD0\xBE\xD1\x81\xD1\x82";                // Мост
const char kGreek[] = "\xCE\x93\xCE\xAD\xCF\x86\xCF\x85\xCF\x81\xCE\xB1";   // Γέφυρα
const char kCjk[] = "\xE6\xA9\x8B \xF0\x9F\x8C\x89";                        // 橋 and an emoji
const POINT kPixels[] = {{478, 825}, {1368, 679}, {1489, 459}};

bool Exists(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string JournalOf(const std::string& image) { return CRecoveryStore::PathOf(JournalFileName(image)); }

void Digitise(AppSession& session, const char* const (&names)[3])
{
    ModalScript script;
    for (size_t i = 0; i < 3; ++i)
    {
        script.Then(gui::NameFeature(names[i]));
        gui::LeftClick(session.ViewWnd(), gui::ShowPixel(session, kPixels[i].x, kPixels[i].y));
    }
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_TRUE(script.Unexpected().empty());
}

std::vector<std::string> FeatureNames(AppSession& session)
{
    std::vector<std::string> names;
    const CShapeArray& shapes = session.Doc()->Session().Features();
    for (int i = 0; i < shapes.GetSize(); ++i)
        names.push_back(shapes.GetAt(i).m_strName);
    return names;
}
}   // namespace

TEST(UnicodeSession, ScanInAFolderOfFourScriptsOnAWesternCodePage)
{
    // The ctest sets a Western locale: the old ANSI calls could name none of this.
    ASSERT_EQ(GetACP(), 1252u);
    std::string folder;
    for (const char* part : kFolders)
    {
        folder += part;
        CreateDirectoryW(Widen(folder).c_str(), nullptr);
    }
    for (const char* name :
         {"scan.tvg", "scan.jgw", "scan.quarvex", "features.shp", "features.shx", "features.dbf", "features.cpg",
          "scan.tif", "north-up.jgw", "later.shp", "later.shx", "later.dbf", "later.cpg"})
        DeleteFileW(Widen(folder + "\\" + name).c_str());
    const std::string image = CopyFixture("../../../../samples/sample_map.jpg", folder, "scan.jpg", false);
    ASSERT_TRUE(Exists(image));
    DeleteFileW(Widen(JournalOf(image)).c_str());

    std::string profileKey;
    {
        AppSession session({image});
        ASSERT_TRUE(session.started) << (session.startUnexpected.empty() ? "" : session.startUnexpected[0].message);
        EXPECT_EQ(session.Doc()->GetPathName(), image);
        // The sample's control points, typed as a user types them.
        const char* const typed[][2] = {{"7", "45"}, {"7.25", "45"}, {"7", "45.166667"}};
        const POINT at[] = {{218, 1347}, {1898, 1242}, {148, 227}};
        for (int i = 0; i < 3; ++i)
        {
            ModalScript script;
            script.Then(gui::TypeCoordinates(typed[i][0], typed[i][1]));
            gui::LeftClick(session.ViewWnd(), gui::ShowPixel(session, at[i].x, at[i].y));
            EXPECT_EQ(script.Pending(), 0u);
        }
        ASSERT_EQ(session.Doc()->Session().GeoRef().m_points.size(), 3u);

        ModalScript digitise;
        digitise.Then(gui::ChooseShapeType(IDC_POINTS));
        session.Command(ID_VIEW_DIGITISE);
        ASSERT_EQ(session.Doc()->Session().Mode(), MODE_DIGITISE);
        EXPECT_TRUE(Exists(folder + "\\scan.tvg"));
        profileKey = session.app.GetProfileKeyPath();
        Digitise(session, {kCyrillic, kGreek, kCjk});
        EXPECT_EQ(FeatureNames(session), (std::vector<std::string>{kCyrillic, kGreek, kCjk}));
        // The Features window lists them as typed; closed again, as the profile had it.
        session.Command(ID_VIEW_FEATURES);
        HWND hList = GetDlgItem(session.Frame()->GetFeaturesWnd()->m_hWnd, IDC_FEATURES_LIST);
        EXPECT_EQ(gui::ListCell(hList, 0, 1) + "|" + gui::ListCell(hList, 2, 1), std::string(kCyrillic) + "|" + kCjk);
        session.Command(ID_VIEW_FEATURES);

        const std::vector<gui::SeenWindow> saved = session.SaveThroughDialog(folder + "\\features");
        ASSERT_EQ(saved.size(), 2u);
        EXPECT_EQ(saved[1].message, "File saved as " + folder + "\\features.shp");
        EXPECT_FALSE(Exists(JournalOf(image))) << "saved: nothing left to recover";

        ModalScript exportScript;
        exportScript.Then(ModalScript::Press(IDOK));
        exportScript.Then(ModalScript::OpenFile(folder + "\\scan.tif"));
        exportScript.Then([&](HWND hBox) {
            EXPECT_EQ(gui::MessageText(hBox), "GeoTIFF exported as " + folder + "\\scan.tif");
            gui::Click(hBox, IDOK);
        });
        session.Command(ID_FILE_EXPORT_GEOTIFF);
        EXPECT_EQ(exportScript.Pending(), 0u);
        EXPECT_TRUE(exportScript.Unexpected().empty());

        ModalScript transpose;
        transpose.Then(ModalScript::Press(IDNO));   // not cropped
        session.Command(ID_VIEW_TRANSPOSE);
        EXPECT_EQ(session.Doc()->Session().Mode(), MODE_TRANSPOSED);
        // The world file is the north-up copy's: moved aside, the scan opens as a scan again.
        EXPECT_TRUE(MoveFileExW(Widen(folder + "\\scan.jgw").c_str(), Widen(folder + "\\north-up.jgw").c_str(),
                                MOVEFILE_REPLACE_EXISTING));
    }

    // The profile keeps the path as it is; a restart opens it from there.
    std::string recent;
    {
        UniqueRegKey key = OpenRegKey(HKEY_CURRENT_USER, (profileKey + "\\Recent File List").c_str());
        ASSERT_TRUE(key);
        ASSERT_TRUE(QueryRegString(key.Get(), "File1", recent));
        wchar_t raw[MAX_PATH] = {};
        DWORD cb = sizeof raw;
        ASSERT_EQ(RegQueryValueExW(key.Get(), L"File1", nullptr, nullptr, reinterpret_cast<BYTE*>(raw), &cb),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::wstring(raw), Widen(image)) << "stored as UTF-16, readable by any program";
    }
    EXPECT_EQ(recent, image);

    std::string journal;
    {
        AppSession session({recent});
        ASSERT_TRUE(session.started);
        EXPECT_EQ(session.Doc()->Session().GeoRef().m_points.size(), 3u) << "the point file beside the scan";
        ModalScript digitise;
        digitise.Then(gui::ChooseShapeType(IDC_POINTS));
        session.Command(ID_VIEW_DIGITISE);
        Digitise(session, {kGreek, kCjk, kCyrillic});
        journal = ReadWholeFile(JournalOf(image));
        ASSERT_FALSE(journal.empty());
        // Closed with No to saving: the journal goes. Put back, it stands for a crash.
    }
    ASSERT_FALSE(Exists(JournalOf(image)));
    WriteWholeFile(JournalOf(image), journal);

    std::string question;
    AppSession session({image}, {[&](HWND hBox) {
                                     question = gui::MessageText(hBox);
                                     gui::Click(hBox, IDYES);
                                 },
                                 ModalScript::Cancel()});
    ASSERT_TRUE(session.started);
    EXPECT_EQ(question.rfind("Restore 3 unsaved features from ", 0), 0u) << question;
    EXPECT_EQ(FeatureNames(session), (std::vector<std::string>{kGreek, kCjk, kCyrillic}));
    const std::vector<gui::SeenWindow> saved = session.SaveThroughDialog(folder + "\\later");
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[1].message, "File saved as " + folder + "\\later.shp");
}
