// Path names of the clipboard log tree.
#include "clipboard/logpaths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const LogTime kLastSecondOfSeptember30{2021, 9, 30, 23, 59, 59};
const LogTime kJanuary5Midnight{2021, 1, 5, 0, 0, 0};
const LogTime kThreeDigitYear{987, 12, 31, 9, 8, 7};

TEST(LogPaths, NamesMonthDayAndFileByTheTime) {
    struct Case {
        const char* folder;
        LogTime time;
        const char* extension;
        const char* month;
        const char* day;
        const char* file;
    };
    const Case cases[] = {
        {"E:\\log", kLastSecondOfSeptember30, ".txt", "E:\\log\\2021-09", "E:\\log\\2021-09\\30",
         "E:\\log\\2021-09\\30\\235959.txt"},
        // A trailing backslash is not doubled.
        {"E:\\log\\", kLastSecondOfSeptember30, ".bmp", "E:\\log\\2021-09", "E:\\log\\2021-09\\30",
         "E:\\log\\2021-09\\30\\235959.bmp"},
        {"E:\\", kJanuary5Midnight, ".txt", "E:\\2021-01", "E:\\2021-01\\05",
         "E:\\2021-01\\05\\000000.txt"},
        // "表" ends in 0x5C: that trail byte is no separator, so one is still added.
        {"E:\\表", kThreeDigitYear, ".txt", "E:\\表\\0987-12", "E:\\表\\0987-12\\31",
         "E:\\表\\0987-12\\31\\090807.txt"},
    };
    for (const Case& c : cases) {
        LogPaths paths;
        EXPECT_TRUE(BuildLogPaths(&paths, c.folder, c.time, c.extension)) << c.folder;
        EXPECT_STREQ(paths.monthFolder, c.month);
        EXPECT_STREQ(paths.dayFolder, c.day);
        EXPECT_STREQ(paths.file, c.file);
    }
}

TEST(LogPaths, EmptyFolderIsRefused) {
    LogPaths paths;
    EXPECT_FALSE(BuildLogPaths(&paths, "", kLastSecondOfSeptember30, ".txt"));
}

// The file name adds 22 bytes to the folder: "\YYYY-MM" "\DD" "\hhmmss" ".txt".
TEST(LogPaths, FileOfExactly520BytesFitsAndOneMoreIsCut) {
    LogPaths paths;
    std::string folder = "C:\\" + std::string(498 - 3, 'a');
    ASSERT_TRUE(BuildLogPaths(&paths, folder.c_str(), kLastSecondOfSeptember30, ".txt"));
    EXPECT_EQ(std::string(paths.file).size(), kLogPathMax);

    folder += 'a';
    std::string whole = folder + "\\2021-09\\30\\235959.txt";
    EXPECT_FALSE(BuildLogPaths(&paths, folder.c_str(), kLastSecondOfSeptember30, ".txt"));
    EXPECT_EQ(std::string(paths.file), whole.substr(0, kLogPathMax));
    EXPECT_EQ(std::string(paths.dayFolder), folder + "\\2021-09\\30") << "still fits";
}

TEST(LogPaths, CutNeverSplitsADoubleByteCharacter) {
    // The lead byte of "表" is byte 520 of the month folder: the cut keeps 519 bytes.
    std::string folder = std::string(519, 'a') + "表";
    LogPaths paths;
    EXPECT_FALSE(BuildLogPaths(&paths, folder.c_str(), kLastSecondOfSeptember30, ".txt"));
    EXPECT_EQ(std::string(paths.monthFolder), std::string(519, 'a'));

    // A character that ends exactly at byte 520 is kept whole.
    folder = std::string(518, 'a') + "表";
    EXPECT_FALSE(BuildLogPaths(&paths, folder.c_str(), kLastSecondOfSeptember30, ".txt"));
    EXPECT_EQ(std::string(paths.monthFolder), folder);
}

TEST(LogPaths, OverlongFolderIsCutAndRefused) {
    std::string folder(2000, 'x');
    LogPaths paths;
    EXPECT_FALSE(BuildLogPaths(&paths, folder.c_str(), kLastSecondOfSeptember30, ".bmp"));
    EXPECT_EQ(std::string(paths.monthFolder), std::string(kLogPathMax, 'x'));
    EXPECT_EQ(std::string(paths.file), std::string(kLogPathMax, 'x'));
}

}  // namespace
