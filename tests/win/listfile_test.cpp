// History and registered-text files on disk under Wine: the one-step replace, its failures,
// loads that tell a missing file from one that could not be read, and the writing thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "store/listfile.h"
#include "store/listsaver.h"
#include "support/testenv.h"

namespace {

using testenv::FolderNames;
using testenv::ReadFileBytes;
using testenv::WriteFileBytes;

constexpr ListKind kHistory = ListKind::History;

std::vector<std::string> HistoryOf(const TextStore& store) {
    std::vector<std::string> texts;
    for (int i = 0; i < listCount(store, kHistory); ++i)
        texts.emplace_back(textOfId(store, idAt(store, kHistory, i)));
    return texts;
}

ListFileLoad LoadTexts(TextStore& store, ListKind kind, const char* path) {
    return loadListFiles(store, kind, testenv::WidePath(path).c_str(), nullptr).texts;
}

bool SaveTexts(const TextStore& store, const std::string& path) {
    return writeListFiles(store.history.chain, testenv::WidePath(path.c_str()).c_str(), nullptr) ==
           ListSave::Saved;
}

struct ListFileTest : ::testing::Test {
    testenv::TempModuleFolder folder;
    TextStore store;
    void SetUp() override {
        addText(store, kHistory, "old");
        addText(store, kHistory, "new\nline");
    }
};

TEST_F(ListFileTest, SaveLeavesExactlyTheNewBytesAndNothingBeside) {
    // The longest name the ANSI calls take: the temporary must fit as well.
    const std::string longName =
        std::string(MAX_PATH - 1 - folder.path().size() - 5, 'h') + ".hst";
    for (const std::string& name : {std::string("quillmate.hst"), longName}) {
        const std::string path = folder.file(name.c_str());
        ASSERT_TRUE(WriteFileBytes(path, std::string(100000, 'x')));
        ASSERT_TRUE(SaveTexts(store, path)) << path.size();
        EXPECT_EQ(ReadFileBytes(path), std::string("old\0new\r\nline\0", 14));
        EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{name});
        TextStore loaded;
        EXPECT_EQ(LoadTexts(loaded, kHistory, path.c_str()), ListFileLoad::Loaded);
        EXPECT_EQ(HistoryOf(loaded), HistoryOf(store));
        DeleteFileA(path.c_str());
    }
}

TEST_F(ListFileTest, AFailedReplaceKeepsTheOldFileAndRemovesTheTemporary) {
    const std::string path = folder.file("quillmate.hst");
    ASSERT_TRUE(WriteFileBytes(path, "before"));
    // A scanner or editor holding the file without FILE_SHARE_DELETE blocks any replace.
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SaveTexts(store, path));
    CloseHandle(holder);
    EXPECT_EQ(ReadFileBytes(path), "before");
    EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{"quillmate.hst"});

    const std::string dir = folder.file("folder.hst");
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    EXPECT_FALSE(SaveTexts(store, dir));
    EXPECT_EQ(FolderNames(folder.path()),
              (std::vector<std::string>{"folder.hst", "quillmate.hst"}));
}

TEST_F(ListFileTest, LoadTellsMissingFromUnreadable) {
    const std::string path = folder.file("quillmate.hst");
    TextStore loaded;
    EXPECT_EQ(LoadTexts(loaded, kHistory, path.c_str()), ListFileLoad::Missing);
    EXPECT_EQ(LoadTexts(loaded, kHistory, folder.file("none\\q.hst").c_str()),
              ListFileLoad::Missing);
    ASSERT_TRUE(WriteFileBytes(path, std::string("a\0", 2)));
    HANDLE locked = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(LoadTexts(loaded, kHistory, path.c_str()), ListFileLoad::Unreadable);
    CloseHandle(locked);
    EXPECT_EQ(LoadTexts(loaded, kHistory, folder.path().c_str()), ListFileLoad::Unreadable);
    EXPECT_EQ(listCount(loaded, kHistory), 0);
}

// The writing thread saves the list as it was when queued, and after a burst the newest list.
TEST_F(ListFileTest, AQueuedSaveWritesItsSnapshotAndABurstEndsWithTheNewestList) {
    const std::string path = folder.file("quillmate.hst");
    queueListSave(store.history.chain, testenv::WidePath(path.c_str()).c_str());
    clearList(store, kHistory);  // after the queueing: the snapshot keeps both texts
    waitForListSaves();
    EXPECT_EQ(ReadFileBytes(path), std::string("old\0new\r\nline\0", 14));

    for (int i = 0; i < 300; ++i) {
        addText(store, kHistory, ("copy " + std::to_string(i)).c_str());
        queueListSave(store.history.chain, testenv::WidePath(path.c_str()).c_str());
    }
    waitForListSaves();
    TextStore loaded;
    ASSERT_EQ(LoadTexts(loaded, kHistory, path.c_str()), ListFileLoad::Loaded);
    EXPECT_EQ(HistoryOf(loaded), HistoryOf(store));
    EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{"quillmate.hst"});
}

// A wait that found nothing to hurry leaves no hurry behind: a later burst still pauses between
// its writes. A write queued while another one is under way waits at least 50 ms after it.
TEST_F(ListFileTest, AWaitWithNothingQueuedLeavesTheNextBurstItsPause) {
    constexpr double kShortestPauseMs = 50;
    bool measured = false;
    // The second write must be queued before the first one ends, or there is no burst: when the
    // first file is already there, the round tells nothing and another is tried.
    for (int round = 0; round < 20 && !measured; ++round) {
        const std::string first = folder.file(("first" + std::to_string(round)).c_str());
        const std::string second = folder.file(("second" + std::to_string(round)).c_str());
        waitForListSaves();
        queueListSave(store.history.chain, testenv::WidePath(first.c_str()).c_str());
        queueListSave(store.history.chain, testenv::WidePath(second.c_str()).c_str());
        LARGE_INTEGER frequency, queued, now;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&queued);
        if (testenv::FileExists(first)) {
            waitForListSaves();
            continue;
        }
        measured = true;
        while (!testenv::FileExists(second)) Sleep(1);  // polled: a wait would hurry the writes
        QueryPerformanceCounter(&now);
        double waitedMs = 1000.0 * static_cast<double>(now.QuadPart - queued.QuadPart) /
                          static_cast<double>(frequency.QuadPart);
        EXPECT_GE(waitedMs, kShortestPauseMs - 10) << "round " << round;
    }
    EXPECT_TRUE(measured) << "no round queued the second write during the first";
}

}  // namespace
