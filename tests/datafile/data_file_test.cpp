#include "document/data_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "document/summary_info.h"
#include "platform/compound_file.h"

namespace {

// The smallest archive the document writes starts with a zero count of embedded items.
std::vector<uint8_t> Archive(uint32_t embeddedItems) {
    std::vector<uint8_t> a = {uint8_t(embeddedItems), uint8_t(embeddedItems >> 8),
                              uint8_t(embeddedItems >> 16), uint8_t(embeddedItems >> 24)};
    for (int i = 0; i < 5000; ++i) a.push_back(uint8_t(i));
    return a;
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
