#include "GUI/VersionInfo.h"
#include "ProgramRunner.h"

#include <windows.h>

#include <gtest/gtest.h>

using tests::BesideProgram;

TEST(VersionInfo, ReadsTheProgramsOwnResource) {
    // The test program carries the program's resources, version 1.0.0.5233.
    TVersionInfo version;
    ASSERT_TRUE(version.VerInfoAvailable());
    EXPECT_EQ(version.GetMajor(), 1);
    EXPECT_EQ(version.GetMinor(), 0);
    EXPECT_EQ(version.GetRevision(), 5233);
    EXPECT_EQ(version.VersionText(), L"1.0.5233");
}

TEST(VersionInfo, RevisionIsTheWholeLowWord) {
    TVersionInfo version(BesideProgram(L"version_fixture.exe"));
    ASSERT_TRUE(version.VerInfoAvailable());
    EXPECT_EQ(version.GetRevision(), 136305);  // 2 * 65536 + 5233; the product version is not read
    EXPECT_EQ(version.GetMajor(), 1);
    EXPECT_EQ(version.VersionText(), L"1.0.136305");
}

TEST(VersionInfo, FileWithoutResourceIsNotAvailable) {
    for (const wchar_t* name : {L"noversion_fixture.exe", L"no-such-file.exe"}) {
        TVersionInfo version(BesideProgram(name));
        EXPECT_FALSE(version.VerInfoAvailable());
        EXPECT_EQ(version.VersionText(), L"0.0.0");
    }
}
