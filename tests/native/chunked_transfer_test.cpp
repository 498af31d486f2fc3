// The bookkeeping of chunked transfers: a download takes only the next chunk
// of the size its first chunk fixed; an upload only the answer that confirms
// what was sent.
#include <gtest/gtest.h>

#include "framework/model/ChunkedTransfer.h"

namespace vantrel {
namespace {

ChunkHeader Chunk(int64_t start, int64_t upTo, int64_t size, size_t bytes) { return {start, upTo, size, bytes}; }

TEST(ChunkedDownload, TakesConsecutiveChunksUpToTheFixedSize) {
    ChunkedDownload download;
    EXPECT_EQ(download.Accept(Chunk(0, 8000, 20000, 8000)), ChunkStep::More);
    EXPECT_EQ(download.NextStart(), 8000u);
    EXPECT_EQ(download.Accept(Chunk(8000, 16000, 20000, 8000)), ChunkStep::More);
    EXPECT_EQ(download.Accept(Chunk(16000, 20000, 20000, 4000)), ChunkStep::Last);
    EXPECT_TRUE(download.Complete());
    EXPECT_EQ(download.Written(), 20000u);
}

TEST(ChunkedDownload, RejectsEveryChunkThatIsNotExactlyTheNext) {
    struct Case {
        const char* what;
        ChunkHeader second;
    } cases[] = {
        {"gap", Chunk(9000, 10000, 20000, 1000)},
        {"overlap", Chunk(4000, 12000, 20000, 8000)},
        {"repeated", Chunk(0, 8000, 20000, 8000)},
        {"does not advance", Chunk(8000, 8000, 20000, 0)},
        {"length differs from the data", Chunk(8000, 16000, 20000, 7999)},
        {"beyond the size", Chunk(8000, 20001, 20000, 12001)},
        {"size changes", Chunk(8000, 16000, 30000, 8000)},
        {"negative", Chunk(-1, 7999, 20000, 8000)},
    };
    for (const Case& c : cases) {
        ChunkedDownload download;
        ASSERT_EQ(download.Accept(Chunk(0, 8000, 20000, 8000)), ChunkStep::More);
        EXPECT_EQ(download.Accept(c.second), ChunkStep::Rejected) << c.what;
        EXPECT_TRUE(download.Failed()) << c.what;
        // Once rejected, even the right chunk is refused.
        EXPECT_EQ(download.Accept(Chunk(8000, 16000, 20000, 8000)), ChunkStep::Rejected) << c.what;
    }
}

TEST(ChunkedDownload, FirstChunkMustStartAtZeroAndFitItsSize) {
    EXPECT_EQ(ChunkedDownload().Accept(Chunk(8000, 16000, 20000, 8000)), ChunkStep::Rejected);
    EXPECT_EQ(ChunkedDownload().Accept(Chunk(0, 100, 50, 100)), ChunkStep::Rejected);
    EXPECT_EQ(ChunkedDownload(1000).Accept(Chunk(0, 100, 1001, 100)), ChunkStep::Rejected);
    EXPECT_EQ(ChunkedDownload().Accept(Chunk(0, 0, 0, 0)), ChunkStep::Last);  // an empty file
    ChunkedDownload done;
    ASSERT_EQ(done.Accept(Chunk(0, 10, 10, 10)), ChunkStep::Last);
    EXPECT_EQ(done.Accept(Chunk(10, 20, 10, 10)), ChunkStep::Rejected);  // nothing after the last
}

TEST(ChunkedUpload, ConfirmsOnlyWhatWasSent) {
    ChunkedUpload upload;
    ASSERT_TRUE(upload.Start(20000, 8000));
    std::vector<std::pair<uint64_t, size_t>> chunks;
    for (;;) {
        const size_t length = upload.NextLength();
        chunks.emplace_back(upload.Sent(), length);
        upload.MarkSent(length);
        const ChunkStep step = upload.Confirm(static_cast<int64_t>(upload.Sent()));
        ASSERT_NE(step, ChunkStep::Rejected);
        if (step == ChunkStep::Last) break;
    }
    const std::vector<std::pair<uint64_t, size_t>> expected = {{0, 8000}, {8000, 8000}, {16000, 4000}};
    EXPECT_EQ(chunks, expected);

    ChunkedUpload lying;
    ASSERT_TRUE(lying.Start(20000, 8000));
    lying.MarkSent(lying.NextLength());
    EXPECT_EQ(lying.Confirm(16000), ChunkStep::Rejected);  // claims more than was sent
    EXPECT_EQ(lying.NextLength(), 0u);
}

TEST(ChunkedUpload, RefusesFilesOfTwoGigabytesAndMore) {
    ChunkedUpload upload;
    EXPECT_TRUE(upload.Start(0x7FFFFFFF, 8000));
    EXPECT_FALSE(upload.Start(0x80000000ull, 8000));
    EXPECT_EQ(upload.NextLength(), 0u);
}

}  // namespace
}  // namespace vantrel
