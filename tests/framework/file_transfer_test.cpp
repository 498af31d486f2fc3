// A download written through its background writer: the bytes of many chunks
// land in order, across the blocks the writer takes, and only the completed
// file replaces the target; an abandoned one leaves the target and its folder
// as they were.
#include "framework/FileTransfer.h"
#include "framework/text/Base64.h"
#include "tests/host/LocalFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

class FileDownloadTest : public testing::Test {
protected:
    void SetUp() override {
        target_ = folder_ / "target.bin";
        std::ofstream(target_, std::ios::binary) << "old";
        // 3.5 MB in uneven chunks: several blocks for the writer.
        bytes_.resize(3 * (1 << 20) + (1 << 19));
        for (size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
    }

    // Sends the chunks up to `end`; the step of the last one.
    ChunkStep Send(CFileDownload& download, size_t end) {
        ChunkStep step = ChunkStep::More;
        for (size_t at = download.NextStart(); at < end && step == ChunkStep::More;) {
            const size_t length = std::min<size_t>(70001, end - at);
            const ChunkHeader header{static_cast<int64_t>(at), static_cast<int64_t>(at + length),
                                     static_cast<int64_t>(bytes_.size()), 0};
            step = download.WriteBase64(header, Base64Encode(bytes_.data() + at, length));
            at += length;
        }
        return step;
    }
    size_t Files() const { return FilesIn(folder_); }

    TemporaryFolder temporary_{"vantrel-download"};
    const fs::path& folder_ = temporary_.Path();
    fs::path target_;
    std::vector<uint8_t> bytes_;
};

TEST_F(FileDownloadTest, TheCompletedFileReplacesTheTargetByteForByte) {
    CFileDownload download;
    ASSERT_TRUE(download.Begin(target_.wstring()));
    EXPECT_EQ(Send(download, bytes_.size()), ChunkStep::Last);
    EXPECT_EQ(FileBytes(target_), std::vector<uint8_t>({'o', 'l', 'd'})) << "untouched until committed";
    ASSERT_TRUE(download.Commit());
    EXPECT_EQ(FileBytes(target_), bytes_);
    EXPECT_EQ(Files(), 1u);
}

TEST_F(FileDownloadTest, AnAbandonedOrRejectedDownloadLeavesTheTargetAsItWas) {
    {
        CFileDownload download;
        ASSERT_TRUE(download.Begin(target_.wstring()));
        EXPECT_EQ(Send(download, 2 * (1 << 20)), ChunkStep::More);
    }  // gone half way: its temporary file with it
    EXPECT_EQ(Files(), 1u);

    CFileDownload download;
    ASSERT_TRUE(download.Begin(target_.wstring()));
    EXPECT_EQ(Send(download, 1 << 20), ChunkStep::More);
    const ChunkHeader gap{static_cast<int64_t>(download.NextStart() + 1), static_cast<int64_t>(download.NextStart() + 4),
                          static_cast<int64_t>(bytes_.size()), 0};
    EXPECT_EQ(download.WriteBase64(gap, Base64Encode("abc", 3)), ChunkStep::Rejected);
    EXPECT_EQ(download.LastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_FALSE(download.Active());
    EXPECT_FALSE(download.Commit());
    EXPECT_EQ(FileBytes(target_), std::vector<uint8_t>({'o', 'l', 'd'}));
    EXPECT_EQ(Files(), 1u);

    EXPECT_FALSE(download.Begin((folder_ / "missing" / "x.bin").wstring())) << "a folder that is not there";
    EXPECT_NE(download.LastError(), 0u);
}

}  // namespace
}  // namespace vantrel::test
