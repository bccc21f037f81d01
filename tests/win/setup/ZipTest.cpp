// The portable zip: unpacked into a folder whose path has spaces and
// accented letters, the program starts there on the sample map.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/win/setup/SetupTestSupport.h"

using namespace setup;

TEST(PortableZip, RunsFromAFolderWithSpacesAndAccentedLetters)
{
    // prepare.sh unpacked the zip natively into the prefix; the folder is
    // moved from here, so that its new name is Windows's own text.
    const std::wstring name = L"quarvex-" + Widen(Env("QUARVEX_VERSION")) + L"-" + Widen(Env("QUARVEX_ZIP_ARCH"));
    const std::wstring parent = L"C:\\Karten f\u00fcr \u00d6sterreich und M\u00e4hren";
    const std::wstring folder = parent + L"\\" + name;
    RemoveTree(parent);
    MakeFolders(parent);
    ASSERT_TRUE(MoveFileW((L"C:\\zip-unpacked\\" + name).c_str(), folder.c_str()));

    std::vector<std::string> files = {
        "LICENSE.txt", "README.txt", "Sample\\", "Sample\\sample_map.jpg", "Sample\\sample_map.tvg",
        "proj.db",     "quarvex.exe"};
    AddGuideFiles(files);
    EXPECT_EQ(ListNames(folder), files);
    // Texts for Notepad: every line ends in CR LF.
    for (const wchar_t* pszText : {L"\\README.txt", L"\\LICENSE.txt"})
    {
        const std::string text = ReadFile(folder + pszText);
        ASSERT_FALSE(text.empty());
        for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
            ASSERT_EQ(text[i - 1], '\r') << Narrow(pszText) << " at byte " << i;
    }
    const std::string licence = ReadFile(folder + L"\\LICENSE.txt");
    for (const char* pszNotice :
         {"Copyright (c) 2026 the Quarvex developers. All rights reserved.",
          "based in part on the work of the Independent JPEG Group", "The Modified (3-clause) BSD License",
          "Jean-loup Gailly and Mark Adler", "All source, data files and other contents of the PROJ package"})
        EXPECT_NE(licence.find(pszNotice), std::string::npos) << pszNotice;

    const std::wstring sample = folder + L"\\Sample\\sample_map.jpg";
    ProgramRun run = RunProgramOnImage(folder + L"\\quarvex.exe", sample);
    EXPECT_EQ(run.failure, "");
    EXPECT_EQ(run.title, "sample_map.jpg - Quarvex");
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER,
                         L"Software\\Local AppWizard-Generated Applications\\quarvex\\Recent File List", L"File1"),
              Narrow(sample))
        << "the path reached the program whole";
}
