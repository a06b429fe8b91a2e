#include "lib/Z5StreamUnit.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

// Records what reaches the raw layer through the staging buffer.
class TRecordingStream : public TZ5BufMemoryStream {
public:
    std::vector<std::int32_t> RawWrites;

protected:
    std::int32_t RawWrite(const void* buffer, std::int32_t count) override {
        RawWrites.push_back(count);
        return TZ5BufMemoryStream::RawWrite(buffer, count);
    }
};

// Records the pieces CopyFrom asks of its source.
class TRecordingSource : public TZ5MemoryStream {
public:
    std::vector<std::int32_t> Reads;

    std::int32_t Read(void* buffer, std::int32_t count) override {
        Reads.push_back(count);
        return TZ5MemoryStream::Read(buffer, count);
    }
};

std::vector<std::uint8_t> Counting(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes;
}

std::int32_t Size32(const std::vector<std::uint8_t>& bytes) {
    return static_cast<std::int32_t>(bytes.size());
}

} // namespace

TEST(Stream, WritingFlushesOnlyFullBuffersUntilThePositionIsAsked) {
    TRecordingStream stream;
    const auto bytes = Counting(5000);
    EXPECT_EQ(stream.Write(bytes.data(), Size32(bytes)), 5000);
    EXPECT_EQ(stream.RawWrites, std::vector<std::int32_t>{4096});
    EXPECT_EQ(stream.BufferOffset(), 904);
    EXPECT_EQ(stream.GetPosition(), 5000);
    EXPECT_EQ(stream.GetSize(), 5000);
    EXPECT_EQ(stream.RawWrites, (std::vector<std::int32_t>{4096, 904}));
    EXPECT_EQ(stream.GetAsString(), std::string(bytes.begin(), bytes.end()));
}

TEST(Stream, ReadingAfterWritingGoesOnBehindTheWrittenBytesAndWritingWaitsForASeek) {
    TZ5BufMemoryStream stream;
    stream.SetAsString("0123456789");
    ASSERT_EQ(stream.Write("ab", 2), 2);
    char read[3] = {};
    EXPECT_EQ(stream.Read(read, 3), 3);
    EXPECT_EQ(std::string(read, 3), "234");
    EXPECT_EQ(stream.GetPosition(), 5);

    EXPECT_EQ(stream.Write("x", 1), 0);
    EXPECT_FALSE(stream.WriteByte('x'));
    EXPECT_EQ(stream.Seek(0, soFromCurrent), 5); // drops what was read ahead
    EXPECT_TRUE(stream.WriteByte('x'));
    EXPECT_EQ(stream.GetAsString(), "ab234x6789");
}

TEST(Stream, SeeksFromEachOriginAndRefusesPositionsOutsideTheStream) {
    TZ5BufMemoryStream stream(100);
    EXPECT_EQ(stream.Seek(0, soFromEnd), 100);
    EXPECT_EQ(stream.Seek(10, soFromEnd), 90);
    EXPECT_EQ(stream.Seek(-5, soFromCurrent), 85);
    EXPECT_EQ(stream.Seek(3, static_cast<TZ5SeekOrigin>(7)), -1);
    EXPECT_THROW(stream.Seek(-1, soFromBeginning), EZ5Stream);
    EXPECT_THROW(stream.Seek(101, soFromEnd), EZ5Stream);
    EXPECT_THROW(stream.Seek(MaxStreamSize, soFromCurrent), EZ5Stream);
    EXPECT_EQ(stream.GetPosition(), 85);
}

TEST(Stream, ReadsStopAtTheEndAndGrownBytesReadAsZero) {
    for (const bool buffered : {true, false}) {
        SCOPED_TRACE(buffered ? "buffered" : "direct");
        std::unique_ptr<TZ5BufMemoryStream> owner;
        if (buffered)
            owner = std::make_unique<TZ5BufMemoryStream>(0, "song");
        else
            owner = std::make_unique<TZ5MemoryStream>(0, "song");
        TZ5BufMemoryStream& stream = *owner;
        stream.SetAsString("abc");
        stream.Seek(6, soFromBeginning);
        stream.WriteByte('z'); // beyond the end: the gap is zero
        stream.SetSize(9);
        EXPECT_EQ(stream.GetAsString(), std::string("abc\0\0\0z\0\0", 9));

        stream.Seek(7, soFromBeginning);
        std::uint8_t bytes[4] = {1, 1, 1, 1};
        EXPECT_EQ(stream.Read(bytes, 4), 2);
        std::uint8_t byte = 0;
        EXPECT_FALSE(stream.ReadByte(byte));
        EXPECT_TRUE(stream.IsEOF());

        EXPECT_THROW(stream.SetSize(-1), EZ5Stream);
        stream.Seek(MaxStreamSize - 1, soFromBeginning);
        EXPECT_THROW(
            {
                stream.Write("xy", 2);
                stream.GetSize(); // a buffered write fails when it reaches the block
            },
            EZ5Stream);
        EXPECT_EQ(stream.GetSize(), 9);
    }
}

TEST(Stream, MemoryStreamGrowsItsBlockInSteps) {
    TZ5MemoryStream stream;
    std::vector<std::int32_t> capacities;
    for (int i = 0; i < 32000; ++i) {
        stream.WriteByte(static_cast<std::uint8_t>(i));
        if (capacities.empty() || capacities.back() != stream.Capacity())
            capacities.push_back(stream.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<std::int32_t>{4096, 8192, 12288, 16384, 20480, 25600, 32000}));
    EXPECT_EQ(stream.GetSize(), 32000);

    stream.SetCapacity(100);
    EXPECT_EQ(stream.GetSize(), 100);
    stream.Clear();
    stream.SetCapacity(216000);
    EXPECT_EQ(stream.GetSize(), 0);
    EXPECT_EQ(stream.Capacity(), 216000);
}

TEST(Stream, CopyFromMovesItsCountInPassesOf32KiB) {
    TRecordingSource source;
    const auto bytes = Counting(100000);
    source.Write(bytes.data(), Size32(bytes));
    source.Seek(0, soFromBeginning);

    TZ5BufMemoryStream target;
    EXPECT_EQ(target.CopyFrom(source, 100000), 100000);
    EXPECT_EQ(source.Reads, (std::vector<std::int32_t>{32768, 32768, 32768, 1696}));
    EXPECT_EQ(target.GetAsString(), std::string(bytes.begin(), bytes.end()));

    source.Reads.clear();
    EXPECT_EQ(target.CopyFrom(source, 10), 0); // the source is at its end
    EXPECT_EQ(target.CopyFrom(source, 0), 0);
    EXPECT_EQ(source.Reads, std::vector<std::int32_t>{10});
}

TEST(Stream, TheStringViewLeavesThePositionAtTheStart) {
    TZ5BufMemoryStream stream;
    stream.Write("abc", 3);
    EXPECT_EQ(stream.GetAsString(), "abc");
    EXPECT_EQ(stream.GetPosition(), 0);

    std::uint8_t byte = 0;
    ASSERT_TRUE(stream.ReadByte(byte)); // bytes read ahead are not taken for the position
    EXPECT_EQ(stream.GetAsString(), "abc");
    EXPECT_EQ(stream.GetPosition(), 0);
    ASSERT_TRUE(stream.ReadByte(byte));
    EXPECT_EQ(byte, 'a');

    stream.SetAsString("z");
    EXPECT_EQ(stream.GetAsString(), "z");
}
