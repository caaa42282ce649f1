#include "document/data_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "document/summary_info.h"
#include "platform/archive.h"
#include "platform/compound_file.h"

namespace {

// The smallest archive the document writes starts with a zero count of embedded items.
std::vector<uint8_t> Archive(uint32_t embeddedItems) {
    std::vector<uint8_t> a = {uint8_t(embeddedItems), uint8_t(embeddedItems >> 8),
                              uint8_t(embeddedItems >> 16), uint8_t(embeddedItems >> 24)};
    for (int i = 0; i < 5000; ++i) a.push_back(uint8_t(i));
    return a;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

CDataFileException::Cause Failure(std::vector<uint8_t> bytes) {
    try {
        ReadDataFileBytes(std::move(bytes), nullptr);
    } catch (const CDataFileException& e) {
        return e.m_cause;
    }
    ADD_FAILURE() << "opened";
    return CDataFileException::ioError;
}

}  // namespace

TEST(DataFile, SavedFileOpensWithItsSummary) {
    CSummaryInfo summary;
    summary.m_title = "Home flock";
    summary.m_revNum = "7";
    const std::string path = testing::TempDir() + "/" + std::to_string(getpid()) + "_datafile_roundtrip.cvl";
    SaveDataFile(path, Archive(0), &summary);
    CSummaryInfo back;
    EXPECT_EQ(ReadDataFile(path, &back), Archive(0));
    EXPECT_EQ(back.m_title, "Home flock");
    EXPECT_EQ(back.m_revNum, "7");
    unlink(path.c_str());
}

TEST(DataFile, RefusedFiles) {
    using C = CDataFileException;
    EXPECT_EQ(Failure({}), C::notDataFile);
    EXPECT_EQ(Failure({'T', 'a', 't', 't', 'o', 'o'}), C::notDataFile);
    // A compound file of another program.
    CCompoundFileWriter other;
    other.SetStream("WordDocument", {1, 2, 3});
    EXPECT_EQ(Failure(other.Build()), C::notDataFile);
    auto good = BuildDataFile(Archive(0), nullptr);
    EXPECT_EQ(Failure(std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2)), C::damaged);
    EXPECT_EQ(Failure(BuildDataFile(Archive(1), nullptr)), C::embeddedItems);
    EXPECT_THROW(ReadDataFile(testing::TempDir() + "/missing.cvl", nullptr), CDataFileException);
}

TEST(DataFile, FileWithEmbeddedItemsIsLeftUntouched) {
    const std::string path = testing::TempDir() + "/" + std::to_string(getpid()) + "_datafile_embedded.cvl";
    auto bytes = BuildDataFile(Archive(2), nullptr);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    CSummaryInfo summary;
    summary.m_title = "kept";
    EXPECT_THROW(ReadDataFile(path, &summary), CDataFileException);
    EXPECT_EQ(summary.m_title, "kept");
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), std::string(bytes.begin(), bytes.end()));
    unlink(path.c_str());
}

namespace {

// Fails the system call numbered failAt (counting every call) with EIO.
struct FailingOps : IFileOps {
    int failAt = -1, calls = 0;
    bool Fail() {
        if (calls++ != failAt) return false;
        errno = EIO;
        return true;
    }
    int Open(const char* p, int f, mode_t m) override { return Fail() ? -1 : IFileOps::Open(p, f, m); }
    ssize_t Write(int fd, const void* d, size_t n) override {
        return Fail() ? -1 : IFileOps::Write(fd, d, n);
    }
    ssize_t PWrite(int fd, const void* d, size_t n, off_t at) override {
        return Fail() ? -1 : IFileOps::PWrite(fd, d, n, at);
    }
    int Fsync(int fd) override { return Fail() ? -1 : IFileOps::Fsync(fd); }
    int Rename(const char* a, const char* b) override { return Fail() ? -1 : IFileOps::Rename(a, b); }
};

std::vector<std::string> FolderNames(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
    return names;
}

}  // namespace

// The archive goes into the file while it is made (by a thread of the save's own, at this size): a
// failure at any call, including the header written last, or an archive that stops half-way, leaves
// the old file and nothing beside it.
TEST(DataFile, StreamedSaveFailingAnywhereLeavesTheOldFile) {
    const std::string dir = testing::TempDir() + "/" + std::to_string(getpid()) + "_datafile_streamed";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/flock.cvl";
    SaveDataFile(path, Archive(0), nullptr);
    const std::vector<uint8_t> old = ReadFileBytes(path);

    std::vector<uint8_t> contents = Archive(0);
    for (size_t i = 0; contents.size() < 2500000; ++i) contents.push_back(uint8_t(i * 31));
    CSummaryInfo summary;
    summary.m_title = "Streamed";
    bool saved = false;
    int failures = 0;
    for (int failAt = 0; !saved; ++failAt) {
        FailingOps ops;
        ops.failAt = failAt;
        try {
            SaveDataFile(path, contents, &summary, ops);
            saved = true;
        } catch (const CFileException& e) {
            ++failures;
            if (e.NewFileInPlace()) continue;
            EXPECT_EQ(ReadFileBytes(path), old) << "failing call " << failAt;
        }
        EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"flock.cvl"}) << "failing call " << failAt;
    }
    EXPECT_GT(failures, 6);
    EXPECT_EQ(ReadFileBytes(path), BuildDataFile(contents, &summary));

    struct Stop {};
    EXPECT_THROW(SaveDataFile(
                     path,
                     [&](CArchive& ar) {
                         ar.Write(contents.data(), contents.size());
                         throw Stop();
                     },
                     &summary),
                 Stop);
    EXPECT_EQ(ReadFileBytes(path), BuildDataFile(contents, &summary));
    EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"flock.cvl"});
    std::filesystem::remove_all(dir);
}

TEST(DataFileName, AChosenNameWithoutExtensionGetsTheDataFileOne) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/jo/flock", "/home/jo/flock.cvl"},
        {"/home/jo/flock.cvl", "/home/jo/flock.cvl"},
        {"/home/jo/flock.CVL", "/home/jo/flock.CVL"},
        {"/home/jo/flock.bak", "/home/jo/flock.bak"},  // the farmer's own choice stays
        {"/home/jo/flock.", "/home/jo/flock.cvl"},
        {"/home/jo.d/flock", "/home/jo.d/flock.cvl"},  // a dot in a folder is no extension
        {"/home/jo/.flock", "/home/jo/.flock.cvl"},
        {"flock", "flock.cvl"},
    };
    for (const auto& [chosen, saved] : cases) EXPECT_EQ(WithDataFileExtension(chosen), saved) << chosen;
}
