// The rules that follow the user's verbs on one image: which side file is
// written, what the user is told, the mode, the unsaved flag, the journal,
// and whether the north-up copy may still be shown.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/georef/ImageSettings.h"
#include "core/io/MemoryFile.h"
#include "core/journal/RecoveryJournal.h"
#include "core/session/ImageSession.h"

namespace
{
const char kImage[] = "maps/sheet.jpg";
const char kPointFile[] = "maps/sheet.tvg";
const char kFolder[] = "recovery/";

std::vector<CGeoRefPoint> Corners()
{
    return {CGeoRefPoint(100, 900, 10, 10), CGeoRefPoint(900, 900, 90, 10), CGeoRefPoint(100, 100, 10, 90),
            CGeoRefPoint(900, 100, 90, 90)};
}

std::vector<SessionNotice> Notices(const CSessionOutcome& outcome)
{
    std::vector<SessionNotice> notices;
    for (const CSessionMessage& message : outcome.messages)
        notices.push_back(message.nNotice);
    return notices;
}

class ImageSessionTest : public testing::Test
{
protected:
    CSessionOutcome Open(std::vector<CGeoRefPoint> points)
    {
        CImageOpening opening;
        opening.strPath = kImage;
        opening.strFullPath = std::string("C:/") + kImage;
        opening.strJournalFolder = kFolder;
        opening.nHeight = 100;
        opening.points = std::move(points);
        m_session.BeginOpen();
        return m_session.Open(opening);
    }

    // Opened with four fitted points, digitising polylines.
    void Digitise()
    {
        (void)Open(Corners());
        ASSERT_TRUE(m_session.FitPoints().bDone);
        ASSERT_TRUE(m_session.StartDigitising(SHAPE_POLYLINE).bDone);
    }

    void Finish(const char* pszName)
    {
        ASSERT_TRUE(m_session.AddVertex(1, 2).bDone);
        ASSERT_TRUE(m_session.AddVertex(30, 40).bDone);
        ASSERT_TRUE(m_session.FinishFeature(pszName).bDone);
    }

    std::string JournaledNames()
    {
        CRecoveredWork work;
        const std::string& bytes = m_files.m_files[m_session.JournalPath()];
        EXPECT_TRUE(ReadJournal(bytes.data(), bytes.size(), &work));
        std::string names;
        for (int i = 0; i < work.shapes.GetSize(); ++i)
            names += work.shapes.GetAt(i).m_strName + ";";
        return names;
    }

    CMemoryFileSystem m_files;
    CImageSession m_session{m_files};
};
}   // namespace

TEST_F(ImageSessionTest, AnEditOfThePointsRewritesThePointFileDropsTheNorthUpCopyAndRefits)
{
    const struct
    {
        const char* name;
        std::function<CSessionOutcome(CImageSession&)> verb;
        bool bWritten;   // a new point waits until the fit is asked for
        size_t nPoints;
    } cases[] = {
        {"add", [](CImageSession& s) { return s.AddPoint(CGeoRefPoint(500, 500, 50, 50)); }, false, 5},
        {"move", [](CImageSession& s) { return s.MovePoint(1, 91, 11); }, true, 4},
        {"change", [](CImageSession& s) { return s.ChangePoint(0, CGeoRefPoint(101, 900, 10, 10)); }, true, 4},
        {"delete", [](CImageSession& s) { return s.DeletePoint(3); }, true, 3},
        {"delete all", [](CImageSession& s) { return s.DeleteAllPoints(); }, true, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Digitise();
        ASSERT_TRUE(m_session.ShowNorthUp().bDone);
        m_files.m_files.erase(kPointFile);

        const CSessionOutcome outcome = c.verb(m_session);
        ASSERT_TRUE(outcome.bDone);
        ASSERT_NE(outcome.pEdit, nullptr);
        EXPECT_EQ(m_files.Exists(kPointFile), c.bWritten);
        EXPECT_TRUE(outcome.messages.empty());
        EXPECT_EQ(m_session.GeoRef().m_points.size(), c.nPoints);
        EXPECT_EQ(m_session.FitReport().Chosen().residuals.size(), c.nPoints);
        EXPECT_FALSE(m_session.HasNorthUp());
        EXPECT_EQ(m_session.Mode(), MODE_DIGITISE) << "the scan is shown again";
        EXPECT_TRUE(outcome.bModeChanged);

        // Taken back, every point edit is written, the new point too.
        m_files.m_files.erase(kPointFile);
        ASSERT_TRUE(m_session.Undo().bDone);
        EXPECT_TRUE(m_files.Exists(kPointFile));
        EXPECT_EQ(m_session.GeoRef().m_points.size(), 4u);
    }
}

TEST_F(ImageSessionTest, APointFileThatCannotBeWrittenIsToldWithItsPath)
{
    (void)Open(Corners());
    m_files.m_refused.insert(kPointFile);
    const CSessionOutcome outcome = m_session.DeletePoint(0);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].nNotice, NOTICE_POINT_FILE_NOT_WRITTEN);
    EXPECT_EQ(outcome.messages[0].strPath, kPointFile);
    EXPECT_EQ(m_session.GeoRef().m_points.size(), 3u) << "the edit stands";

    // Fitting for digitising writes the points first, fit or no fit.
    m_files.m_refused.clear();
    m_files.m_files.erase(kPointFile);
    ASSERT_TRUE(m_session.DeleteAllPoints().bDone);
    m_files.m_files.erase(kPointFile);
    EXPECT_EQ(Notices(m_session.FitPoints()), std::vector<SessionNotice>{NOTICE_NOT_FITTED});
    EXPECT_TRUE(m_files.Exists(kPointFile));
    EXPECT_FALSE(m_session.StartDigitising(SHAPE_POINT).bDone);
    EXPECT_EQ(m_session.Mode(), MODE_GEOREFERENCE);
}

TEST_F(ImageSessionTest, AChosenModelIsRememberedBesideTheImageOrRefusedWithoutAFitWhileDigitising)
{
    Digitise();
    const std::string settings = ImageSettingsPath(kImage);
    m_files.m_refused.insert(settings);
    CSessionOutcome outcome = m_session.ChooseFitModel(FitModel::Helmert);
    ASSERT_TRUE(outcome.bDone);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].nNotice, NOTICE_SETTINGS_NOT_WRITTEN);
    EXPECT_EQ(outcome.messages[0].strPath, settings);

    m_files.m_refused.clear();
    ASSERT_TRUE(m_session.Undo().bDone);
    EXPECT_EQ(ReadImageSettings(kImage, m_files).Get(kFitSettingKey), FitModelSettingValue(FitModel::RotationScales));
    EXPECT_EQ(m_session.GeoRef().m_nFitModel, FitModel::RotationScales);

    // Two points fit no affine model; while digitising it is refused.
    ASSERT_TRUE(m_session.DeletePoint(3).bDone);
    ASSERT_TRUE(m_session.DeletePoint(2).bDone);
    outcome = m_session.ChooseFitModel(FitModel::Affine);
    EXPECT_FALSE(outcome.bDone);
    EXPECT_EQ(Notices(outcome), std::vector<SessionNotice>{NOTICE_MODEL_CANNOT_FIT});
    EXPECT_EQ(m_session.GeoRef().m_nFitModel, FitModel::RotationScales);
}

// What needs only a fit is offered while georeferencing as soon as the
// points allow the chosen model, with the fit digitising would use.
TEST_F(ImageSessionTest, AFitIsAvailableWheneverThePointsAllowTheChosenModel)
{
    EXPECT_FALSE(m_session.FitAvailable()) << "no image";
    (void)Open(Corners());
    ASSERT_EQ(m_session.Mode(), MODE_GEOREFERENCE);
    // Opened, nothing is fitted yet: the fit is made when asked for.
    EXPECT_TRUE(m_session.FitAvailable());
    EXPECT_TRUE(m_session.FitOnDemand().m_bValid);
    const struct
    {
        const char* name;
        std::function<CSessionOutcome(CImageSession&)> verb;
        bool bAvailable;
    } steps[] = {
        {"affine, four points", [](CImageSession& s) { return s.ChooseFitModel(FitModel::Affine); }, true},
        {"a point moved", [](CImageSession& s) { return s.MovePoint(1, 91, 12); }, true},
        {"second order, four points", [](CImageSession& s) { return s.ChooseFitModel(FitModel::Polynomial2); }, false},
        {"projective, four points", [](CImageSession& s) { return s.ChooseFitModel(FitModel::Projective); }, true},
        {"projective, three points", [](CImageSession& s) { return s.DeletePoint(3); }, false},
        {"affine, three points", [](CImageSession& s) { return s.ChooseFitModel(FitModel::Affine); }, true},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.name);
        ASSERT_TRUE(step.verb(m_session).bDone);
        ASSERT_EQ(m_session.Mode(), MODE_GEOREFERENCE);
        EXPECT_EQ(m_session.FitAvailable(), step.bAvailable);
        const CGeoRefArray onDemand = m_session.FitOnDemand();
        ASSERT_EQ(onDemand.m_bValid, step.bAvailable);
        if (!step.bAvailable)
            continue;
        // The same map position as the fit made for digitising.
        CImageSession digitising(m_files);
        CImageOpening opening;
        opening.strPath = kImage;
        opening.nHeight = 100;
        opening.points = m_session.GeoRef().m_points;
        opening.nFitModel = m_session.GeoRef().m_nFitModel;
        digitising.BeginOpen();
        (void)digitising.Open(opening);
        ASSERT_TRUE(digitising.FitPoints().bDone);
        double x = 0, y = 0, dx = 0, dy = 0;
        ASSERT_TRUE(onDemand.PixelToMap(37, 61, &x, &y));
        ASSERT_TRUE(digitising.GeoRef().PixelToMap(37, 61, &dx, &dy));
        EXPECT_DOUBLE_EQ(x, dx);
        EXPECT_DOUBLE_EQ(y, dy);
    }
}

TEST_F(ImageSessionTest, FeatureEditsAreUnsavedAndJournaled)
{
    const struct
    {
        const char* name;
        std::function<CSessionOutcome(CImageSession&)> verb;
        const char* journaled;
    } cases[] = {
        {"finish", [](CImageSession& s) { return s.FinishFeature("pond"); }, "lake;wood;pond;"},
        {"rename", [](CImageSession& s) { return s.RenameFeature(1, "old wood"); }, "lake;old wood;"},
        {"delete", [](CImageSession& s) { return s.DeleteFeature(0); }, "wood;"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Digitise();
        Finish("lake");
        Finish("wood");
        m_session.SaveSucceeded();
        EXPECT_FALSE(m_session.Unsaved());
        EXPECT_FALSE(m_files.Exists(m_session.JournalPath())) << "saved: the journal goes";
        ASSERT_TRUE(m_session.AddVertex(5, 5).bDone);
        EXPECT_FALSE(m_session.Unsaved()) << "the feature being digitised is not yet one";

        const CSessionOutcome outcome = c.verb(m_session);
        ASSERT_TRUE(outcome.bDone);
        EXPECT_TRUE(m_session.Unsaved());
        EXPECT_EQ(JournaledNames(), c.journaled);
        m_files.m_files.clear();
    }
}

TEST_F(ImageSessionTest, AJournalThatCannotBeWrittenIsToldOnceAnImage)
{
    Digitise();
    const std::string journal = m_session.JournalPath();
    ASSERT_EQ(journal.rfind(kFolder, 0), 0u);
    m_files.m_unopenable.insert(journal);
    m_files.m_unopenable.insert(journal + ".partial");
    ASSERT_TRUE(m_session.AddVertex(1, 1).bDone);
    CSessionOutcome outcome = m_session.FinishFeature("lake");
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].nNotice, NOTICE_JOURNAL_NOT_WRITTEN);
    EXPECT_EQ(outcome.messages[0].strPath, journal);
    EXPECT_TRUE(m_session.Undo().messages.empty());

    // The next image is told again.
    Digitise();
    ASSERT_TRUE(m_session.AddVertex(1, 1).bDone);
    EXPECT_EQ(Notices(m_session.FinishFeature("lake")), std::vector<SessionNotice>{NOTICE_JOURNAL_NOT_WRITTEN});
}

TEST_F(ImageSessionTest, BackToGeoreferencingKeepsTheFlagAndItsUndoDigitisesTheFeaturesAgainAsTheirType)
{
    Digitise();
    ASSERT_TRUE(m_session.BackToGeoreferencing().bDone);
    ASSERT_TRUE(m_session.StartDigitising(SHAPE_POLYGON).bDone);
    Finish("lake");
    m_session.SaveSucceeded();
    ASSERT_TRUE(m_session.AddVertex(7, 7).bDone);

    CSessionOutcome outcome = m_session.BackToGeoreferencing();
    ASSERT_TRUE(outcome.bDone);
    EXPECT_TRUE(outcome.bModeChanged);
    EXPECT_EQ(m_session.Mode(), MODE_GEOREFERENCE);
    EXPECT_EQ(m_session.Features().GetSize(), 0);
    EXPECT_EQ(m_session.Current().GetSize(), 1) << "the feature being digitised stays";
    EXPECT_FALSE(m_session.Unsaved());

    ASSERT_TRUE(m_session.StartDigitising(SHAPE_POINT).bDone);
    outcome = m_session.Undo();
    EXPECT_EQ(m_session.Mode(), MODE_DIGITISE);
    EXPECT_EQ(m_session.ShapeType(), SHAPE_POLYGON);
    EXPECT_EQ(m_session.Features().GetSize(), 1);
    EXPECT_TRUE(m_session.Unsaved());
}

TEST_F(ImageSessionTest, FeaturesGivenUpOrAFailedSaveKeepTheFlag)
{
    Digitise();
    Finish("lake");
    ASSERT_TRUE(m_files.Exists(m_session.JournalPath()));
    m_session.FeaturesGivenUp();
    EXPECT_FALSE(m_files.Exists(m_session.JournalPath()));
    EXPECT_TRUE(m_session.Unsaved()) << "no save happened";
}

TEST_F(ImageSessionTest, OpeningAnImageWithAJournalAsksAndRestoresOrForgetsIt)
{
    const struct
    {
        const char* name;
        std::vector<CGeoRefPoint> points;
        bool bRestore;
        ViewMode nMode;
    } cases[] = {
        {"restored with a fit", Corners(), true, MODE_DIGITISE},
        {"restored without a fit", {}, true, MODE_GEOREFERENCE},
        {"declined", Corners(), false, MODE_GEOREFERENCE},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_files.m_files.clear();
        Digitise();
        ASSERT_TRUE(m_session.BackToGeoreferencing().bDone);
        ASSERT_TRUE(m_session.StartDigitising(SHAPE_POLYGON).bDone);
        Finish("lake");
        Finish("wood");

        CImageSession next(m_files);
        CImageOpening opening;
        opening.strPath = kImage;
        opening.strFullPath = std::string("C:/") + kImage;
        opening.strJournalFolder = kFolder;
        opening.nHeight = 100;
        opening.points = c.points;
        next.BeginOpen();
        const CSessionOutcome opened = next.Open(opening);
        ASSERT_EQ(Notices(opened), std::vector<SessionNotice>{NOTICE_ASK_RESTORE});
        EXPECT_EQ(opened.messages[0].nCount, 2);
        EXPECT_GT(opened.messages[0].nTime, 0);

        if (c.bRestore)
        {
            EXPECT_TRUE(next.RestoreFromJournal().messages.empty());
            EXPECT_EQ(next.Features().GetSize(), 2);
            EXPECT_EQ(next.ShapeType(), SHAPE_POLYGON);
            EXPECT_TRUE(next.Unsaved());
            EXPECT_TRUE(next.ShapeTypeFixed());
            EXPECT_TRUE(m_files.Exists(next.JournalPath()));
        }
        else
        {
            next.DeclineRestore();
            EXPECT_EQ(next.Features().GetSize(), 0);
            EXPECT_FALSE(next.Unsaved());
            EXPECT_FALSE(m_files.Exists(next.JournalPath()));
        }
        EXPECT_EQ(next.Mode(), c.nMode);
    }
}

TEST_F(ImageSessionTest, ACoordinateSystemIsRememberedBesideTheImageButNotAfterNew)
{
    (void)Open(Corners());
    EXPECT_TRUE(m_session.SetCrs(CCrsRef{27700, false}).messages.empty());
    EXPECT_FALSE(ReadImageSettings(kImage, m_files).Get("crs").empty());

    m_files.m_refused.insert(ImageSettingsPath(kImage));
    EXPECT_EQ(Notices(m_session.SetCrs(CCrsRef{3857, false})), std::vector<SessionNotice>{NOTICE_CRS_NOT_REMEMBERED});

    m_session.New();
    EXPECT_TRUE(m_session.SetCrs(CCrsRef{4326, true}).messages.empty()) << "nothing to write beside";
    EXPECT_TRUE(m_session.DeletePoint(0).messages.empty());
    EXPECT_EQ(m_session.Crs().nEpsg, 4326);
}

TEST_F(ImageSessionTest, WhatIsWrittenBesideTheImageIsReadOnTheNextOpen)
{
    (void)Open(Corners());
    ASSERT_TRUE(m_session.FitPoints().bDone);
    ASSERT_TRUE(m_session.ChooseFitModel(FitModel::Affine).bDone);
    EXPECT_TRUE(m_session.SetCrs(CCrsRef{27700, false}).messages.empty());

    CImageOpening opening;
    ReadImageSideFiles(kImage, m_files, &opening);
    ASSERT_EQ(opening.points.size(), Corners().size());
    EXPECT_EQ(opening.points[3].m_nPixelX, Corners()[3].m_nPixelX);
    EXPECT_EQ(opening.nFitModel, FitModel::Affine);
    EXPECT_EQ(opening.crs.nEpsg, 27700);

    CImageOpening nothing;
    ReadImageSideFiles("maps/other.jpg", m_files, &nothing);
    EXPECT_TRUE(nothing.points.empty());
    EXPECT_EQ(nothing.nFitModel, FitModel::RotationScales);
    EXPECT_TRUE(nothing.crs.IsNone());
}

namespace
{
// The image with a world file beside it (10 m columns, 5 m rows) and, as if
// its keys had said so, UTM 33N.
CImageOpening OpeningWithWorldFile(CMemoryFileSystem& files)
{
    files.m_files["maps/sheet.jgw"] = "10\r\n0\r\n0\r\n-5\r\n500005\r\n4649997.5\r\n";
    CImageOpening opening;
    ReadImageSideFiles(kImage, files, &opening);
    opening.strPath = kImage;
    opening.strJournalFolder = kFolder;
    opening.nHeight = 100;
    opening.fileGeoref.nEpsg = 32633;
    return opening;
}
}   // namespace

TEST_F(ImageSessionTest, TheFilesGeoreferenceUsedIsTheFitWithoutPointsAndIsRemembered)
{
    m_session.BeginOpen();
    (void)m_session.Open(OpeningWithWorldFile(m_files));
    ASSERT_TRUE(m_session.FileGeoreferenceOffered());
    const CSessionOutcome used = m_session.AnswerFileGeoreference(true);
    EXPECT_TRUE(used.bDone && used.messages.empty());
    EXPECT_FALSE(m_session.FileGeoreferenceOffered());
    EXPECT_EQ(m_session.GeoRef().m_nFitModel, FitModel::FromFile);
    EXPECT_EQ(m_session.Crs().nEpsg, 32633);
    const CImageSettings settings = ReadImageSettings(kImage, m_files);
    EXPECT_EQ(settings.Get(kFitSettingKey), "file");
    EXPECT_EQ(settings.Get("filegeoref"), "use");
    EXPECT_EQ(settings.Get("crs"), "EPSG:32633");

    // The model choice is undone as any other; the answer stays.
    ASSERT_TRUE(m_session.Undo().bDone);
    EXPECT_EQ(m_session.GeoRef().m_nFitModel, FitModel::RotationScales);
    EXPECT_FALSE(m_session.FitPoints().bDone);
    ASSERT_TRUE(m_session.Redo().bDone);

    // Digitising starts without a point; a point placed later is measured
    // against the file's fit, which it does not move.
    ASSERT_TRUE(m_session.FitPoints().bDone);
    ASSERT_TRUE(m_session.StartDigitising(SHAPE_POINT).bDone);
    double x, y;
    ASSERT_TRUE(m_session.GeoRef().PixelToMap(2, 3, &x, &y));
    EXPECT_DOUBLE_EQ(x, 500025.0);
    EXPECT_DOUBLE_EQ(y, 4649982.5);
    ASSERT_TRUE(m_session.AddPoint(CGeoRefPoint(500026.0, 4649982.5, 2, 3)).bDone);
    ASSERT_TRUE(m_session.GeoRef().PixelToMap(2, 3, &x, &y));
    EXPECT_DOUBLE_EQ(x, 500025.0);
    ASSERT_EQ(m_session.FitReport().Chosen().residuals.size(), 1u);
    EXPECT_DOUBLE_EQ(m_session.FitReport().Chosen().residuals[0].dX, -1.0);

    CImageOpening again;
    ReadImageSideFiles(kImage, m_files, &again);
    EXPECT_EQ(again.nFileChoice, FileGeoreferenceChoice::Use);
    EXPECT_EQ(again.nFitModel, FitModel::FromFile);
    EXPECT_EQ(again.fileGeoref.nSource, GeoreferenceSource::WorldFile);
}

TEST_F(ImageSessionTest, TheFilesGeoreferenceIgnoredOrAbsentChangesNothing)
{
    m_session.BeginOpen();
    (void)m_session.Open(OpeningWithWorldFile(m_files));
    const CSessionOutcome ignored = m_session.AnswerFileGeoreference(false);
    EXPECT_TRUE(ignored.messages.empty());
    EXPECT_FALSE(m_session.FileGeoreferenceOffered());
    EXPECT_EQ(m_session.GeoRef().m_nFitModel, FitModel::RotationScales);
    EXPECT_TRUE(m_session.Crs().IsNone());
    EXPECT_EQ(Notices(m_session.FitPoints()), std::vector<SessionNotice>{NOTICE_NOT_FITTED});
    EXPECT_EQ(m_session.Mode(), MODE_GEOREFERENCE);
    EXPECT_EQ(ReadImageSettings(kImage, m_files).Format(), "filegeoref=ignore\r\n");
    CImageOpening again;
    ReadImageSideFiles(kImage, m_files, &again);
    EXPECT_EQ(again.nFileChoice, FileGeoreferenceChoice::Ignore);

    // The world file gone: the model chosen with it falls back, and cannot
    // be chosen again.
    ASSERT_TRUE(UpdateImageSetting(kImage, kFitSettingKey, "file", m_files));
    m_files.m_files.erase("maps/sheet.jgw");
    again = CImageOpening();
    ReadImageSideFiles(kImage, m_files, &again);
    EXPECT_EQ(again.nFitModel, FitModel::FromFile);
    m_session.BeginOpen();
    (void)m_session.Open(again);
    EXPECT_FALSE(m_session.HasFileGeoreference());
    EXPECT_EQ(m_session.GeoRef().m_nFitModel, FitModel::RotationScales);
    EXPECT_FALSE(m_session.ChooseFitModel(FitModel::FromFile).bDone);
    EXPECT_FALSE(m_session.AnswerFileGeoreference(true).bDone);
}

TEST_F(ImageSessionTest, ASwitchedOffPointIsLeftOutOfTheFitAndKeptBesideTheImageNotInThePointFile)
{
    std::vector<CGeoRefPoint> points = Corners();
    points.push_back(CGeoRefPoint(700, 300, 50, 50));   // typed 200 units off on both axes
    (void)Open(points);
    ASSERT_TRUE(m_session.FitPoints().bDone);
    const std::string pointFile = m_files.m_files[kPointFile];
    EXPECT_GT(m_session.FitReport().Chosen().dRmsPixels, 5.0);

    const CSessionOutcome outcome = m_session.SwitchPoint(4, true);
    ASSERT_TRUE(outcome.bDone);
    EXPECT_EQ(outcome.pEdit->Name(), EditName::SwitchPoint);
    EXPECT_EQ(ReadImageSettings(kImage, m_files).Get(kPointsOffSettingKey), "5");
    EXPECT_EQ(m_files.m_files[kPointFile], pointFile) << "the point file keeps its layout and its points";
    // The four corners fit exactly; the fifth keeps its residual, now the one without it.
    const CModelFit& fit = m_session.FitReport().Chosen();
    EXPECT_LT(fit.dRmsPixels, 1e-6);
    ASSERT_EQ(fit.residuals.size(), 5u);
    EXPECT_NEAR(fit.residuals[4].dLength, std::hypot(200.0, 200.0), 1e-6);

    ASSERT_TRUE(m_session.Undo().bDone);
    EXPECT_EQ(ReadImageSettings(kImage, m_files).Get(kPointsOffSettingKey), "");
    ASSERT_TRUE(m_session.Redo().bDone);
    // A point deleted before it renumbers it.
    ASSERT_TRUE(m_session.DeletePoint(0).bDone);
    EXPECT_EQ(ReadImageSettings(kImage, m_files).Get(kPointsOffSettingKey), "4");

    CImageOpening opening;
    ReadImageSideFiles(kImage, m_files, &opening);
    ASSERT_EQ(opening.points.size(), 4u);
    EXPECT_EQ(PointsOffSettingValue(opening.points), "4");

    // While digitising, a switch that leaves too few points to fit is refused.
    ASSERT_TRUE(m_session.StartDigitising(SHAPE_POLYLINE).bDone);
    ASSERT_TRUE(m_session.SwitchPoint(2, true).bDone);
    const CSessionOutcome refused = m_session.SwitchPoint(1, true);
    EXPECT_FALSE(refused.bDone);
    EXPECT_EQ(Notices(refused), std::vector<SessionNotice>{NOTICE_MODEL_CANNOT_FIT});
}

TEST_F(ImageSessionTest, PointsReplacedFromAnotherToolAreOneEditThatUndoTakesBack)
{
    (void)Open(Corners());
    ASSERT_TRUE(m_session.FitPoints().bDone);
    const std::string before = m_files.m_files[kPointFile];
    std::vector<CGeoRefPoint> imported = Corners();
    imported.push_back(CGeoRefPoint(700, 300, 50, 50));
    imported[4].m_bOff = true;

    const CSessionOutcome outcome = m_session.ReplacePoints(imported);
    ASSERT_TRUE(outcome.bDone);
    EXPECT_EQ(outcome.pEdit->Name(), EditName::ReplacePoints);
    EXPECT_EQ(m_session.GeoRef().m_points.size(), 5u);
    EXPECT_NE(m_files.m_files[kPointFile], before);
    EXPECT_EQ(ReadImageSettings(kImage, m_files).Get(kPointsOffSettingKey), "5");
    EXPECT_EQ(m_session.FitReport().Chosen().residuals.size(), 5u);

    ASSERT_TRUE(m_session.Undo().bDone);
    EXPECT_EQ(m_session.GeoRef().m_points.size(), 4u);
    EXPECT_EQ(m_files.m_files[kPointFile], before);
    EXPECT_EQ(ReadImageSettings(kImage, m_files).Get(kPointsOffSettingKey), "");

    // While digitising, points the chosen model cannot fit are refused.
    ASSERT_TRUE(m_session.StartDigitising(SHAPE_POLYLINE).bDone);
    const CSessionOutcome refused = m_session.ReplacePoints({imported[0]});
    EXPECT_FALSE(refused.bDone);
    EXPECT_EQ(Notices(refused), std::vector<SessionNotice>{NOTICE_MODEL_CANNOT_FIT});
    EXPECT_EQ(m_session.GeoRef().m_points.size(), 4u);
}

TEST(PointsOffSetting, NumbersThatAreNoPointsArePassedOver)
{
    std::vector<CGeoRefPoint> points(4);
    ApplyPointsOffSetting("2,x,99,,0,4,-1,3.5", &points);
    EXPECT_EQ(PointsOffSettingValue(points), "2,4");
}
