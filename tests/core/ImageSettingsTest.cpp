#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "core/georef/ImageSettings.h"
#include "tests/core/TestFiles.h"

TEST(ImageSettings, KeepsUnknownKeysAndWritesOnlyWhatDiffersFromTheDefaults)
{
    CImageSettings settings = CImageSettings::Parse("fit=affine\r\nfuture=kept as it was\nbroken line\r\n=x\r\n");
    EXPECT_EQ(settings.Get("fit"), "affine");
    EXPECT_EQ(settings.Get("crs"), "");
    settings.Set("crs", "EPSG:32633");
    settings.Set("fit", "");
    EXPECT_EQ(settings.Format(), "crs=EPSG:32633\r\nfuture=kept as it was\r\n");

    ScratchDir dir;
    const std::string image = dir.File("scan.v2.jpg");
    ASSERT_TRUE(WriteImageSettings(image.c_str(), settings));
    EXPECT_EQ(ImageSettingsPath(image.c_str()), dir.File("scan.v2.quarvex"));
    EXPECT_EQ(ReadFileBytes(dir.File("scan.v2.quarvex")), "crs=EPSG:32633\r\nfuture=kept as it was\r\n");
    EXPECT_EQ(ReadImageSettings(image.c_str()).Format(), settings.Format());

    // Back to the defaults: no file is left beside the image.
    ASSERT_TRUE(WriteImageSettings(image.c_str(), CImageSettings()));
    EXPECT_TRUE(ReadFileBytes(dir.File("scan.v2.quarvex")).empty());
    EXPECT_TRUE(ReadImageSettings(image.c_str()).IsEmpty());
    EXPECT_TRUE(WriteImageSettings(image.c_str(), CImageSettings())) << "nothing to remove is no failure";
}

TEST(ImageSettings, AnUpdateKeepsTheOtherKeysAndNeverWritesOverAFileItCannotRead)
{
    ScratchDir dir;
    const std::string image = dir.File("scan.jpg");
    WriteFileBytes(dir.File("scan.quarvex"), "crs=EPSG:4326\r\n");
    ASSERT_TRUE(UpdateImageSetting(image.c_str(), "fit", "affine"));
    EXPECT_EQ(ReadFileBytes(dir.File("scan.quarvex")), "crs=EPSG:4326\r\nfit=affine\r\n");

    // A folder where the file should be: there, but not readable as a file.
    const std::string blocked = dir.File("blocked.jpg");
    std::filesystem::create_directory(dir.File("blocked.quarvex"));
    CImageSettings settings;
    EXPECT_FALSE(ReadImageSettings(blocked.c_str(), &settings));
    EXPECT_FALSE(UpdateImageSetting(blocked.c_str(), "fit", "affine"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("blocked.quarvex")));
}
