#pragma once
// The engine's byte streams. TZ5Stream puts a 4096-byte staging buffer in
// front of six raw operations, so that byte-sized reads and writes cost a copy,
// not a call into the raw layer. TZ5BufMemoryStream keeps its bytes in memory
// behind that buffer; TZ5MemoryStream bypasses the buffer and grows its block
// in steps. Sizes and positions are 32-bit: a stream holds at most
// MaxStreamSize bytes.
//
// The buffer holds either bytes read ahead or bytes not yet written, never
// both: reading after writing flushes first, and writing while bytes read
// ahead wait is refused (it moves 0 bytes) until a Seek comes between.

#include "platform/Exception.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

// Bad positions and sizes, and blocks that memory cannot hold.
class EZ5Stream : public Exception {
public:
    using Exception::Exception;
};

enum TZ5SeekOrigin : std::int32_t { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

enum TZ5BufferState : std::uint8_t {
    sbIdle = 0,    // nothing staged
    sbReading = 1, // the buffer holds bytes read ahead
    sbWriting = 2, // the buffer holds bytes not yet written
};

inline constexpr std::int32_t MaxStreamSize = std::numeric_limits<std::int32_t>::max(); // bytes

class TZ5Stream {
public:
    static constexpr std::int32_t BufferSize = 4096;     // bytes staged between the caller and the raw layer
    static constexpr std::int32_t CopyBlockSize = 32768; // bytes moved per pass of CopyFrom

    // A class with a raw layer of its own flushes pending written bytes in its
    // own destructor: the raw layer is gone by the time this one runs.
    virtual ~TZ5Stream();
    TZ5Stream(const TZ5Stream&) = delete;
    TZ5Stream& operator=(const TZ5Stream&) = delete;

    const std::string& Name() const { return Name_; }
    TZ5BufferState BufferState() const { return BufferState_; }

    // The logical position: the raw one corrected by what the buffer holds.
    virtual std::int32_t GetPosition();
    virtual void SetPosition(std::int32_t position);
    // The raw size; pending written bytes are flushed first.
    std::int32_t GetSize();
    // Resizes the stream and keeps the logical position (which may then lie
    // beyond the end). Bytes added at the end read as zero.
    void SetSize(std::int32_t size);

    // The stream becomes exactly the bytes of `text`; the position is 0 after.
    virtual void SetAsString(const std::string& text);
    // All bytes of the stream as one string; the position is 0 after.
    virtual std::string GetAsString();

    // Each returns the bytes moved; a count below 1 moves nothing.
    virtual std::int32_t Read(void* buffer, std::int32_t count);
    virtual std::int32_t Write(const void* buffer, std::int32_t count);
    // False when no byte is left to read.
    virtual bool ReadByte(std::uint8_t& value);
    // False only while bytes read ahead wait (a Seek must come first).
    virtual bool WriteByte(std::uint8_t value);

    // Moves to `offset` from the start, from the current position, or back
    // from the end (offset 0 is the end); returns the new position, or -1 for
    // an unknown origin. A target before the start or beyond MaxStreamSize
    // raises EZ5Stream and leaves the stream as it was.
    virtual std::int32_t Seek(std::int32_t offset, TZ5SeekOrigin origin);

    // How far the logical position lies from the raw one: zero or negative
    // while reading (bytes read ahead), positive while writing.
    std::int32_t BufferOffset() const;
    bool IsEOF();
    // Copies up to `count` bytes from the source's position to this one's in
    // passes of at most CopyBlockSize; stops early at the source's end or when
    // a write falls short. Returns the bytes written.
    std::int32_t CopyFrom(TZ5Stream& source, std::int32_t count);

protected:
    // `staged`: false for a stream that reaches its bytes directly and has no
    // buffer at all.
    TZ5Stream(std::string name, bool staged);

    // Refills the whole buffer from the raw position; true when any byte came.
    virtual bool FillBuffer();
    // Writes the pending bytes out; true when all of them were taken.
    virtual bool FlushBuffer();
    // Makes the raw position the logical one, with nothing staged.
    void DropStagedBytes();
    void FlushIfWriting();

    virtual std::int32_t RawRead(void* buffer, std::int32_t count) = 0;
    virtual std::int32_t RawWrite(const void* buffer, std::int32_t count) = 0;
    virtual std::int32_t RawGetPosition() = 0;
    virtual void RawSetPosition(std::int32_t position) = 0;
    virtual std::int32_t RawGetSize() = 0;
    virtual void RawSetSize(std::int32_t size) = 0;

    TZ5BufferState BufferState_ = sbIdle;

private:
    void BeginReading();
    std::int32_t SeekTarget(std::int32_t offset, TZ5SeekOrigin origin);

    std::string Name_;
    std::unique_ptr<std::uint8_t[]> Buffer; // BufferSize bytes, or none
    std::uint8_t* Cursor = nullptr;         // next byte in the buffer
    std::uint8_t* BufferEnd = nullptr;      // end of the data read ahead, or of the write window
};

// A resizable heap block that keeps its bytes when it grows or shrinks.
class TZ5MemoryBlock {
public:
    TZ5MemoryBlock() = default;
    ~TZ5MemoryBlock();
    TZ5MemoryBlock(const TZ5MemoryBlock&) = delete;
    TZ5MemoryBlock& operator=(const TZ5MemoryBlock&) = delete;

    // Raises EZ5Stream naming `owner` when memory cannot hold `bytes`.
    void Resize(std::int32_t bytes, const std::string& owner);
    void Release();
    std::uint8_t* Data() const { return Data_; }

private:
    std::uint8_t* Data_ = nullptr;
};

// A stream over one block of memory, read and written through the buffer. The
// block is exactly the stream's size.
class TZ5BufMemoryStream : public TZ5Stream {
public:
    // A positive `initialSize` gives that many zero bytes to start with.
    explicit TZ5BufMemoryStream(std::int32_t initialSize = 0, std::string name = {});
    ~TZ5BufMemoryStream() override;

    // Empties the stream and releases its block; pending bytes go with it.
    virtual void Clear();

protected:
    TZ5BufMemoryStream(std::string name, bool staged);

    std::int32_t RawRead(void* buffer, std::int32_t count) override;
    std::int32_t RawWrite(const void* buffer, std::int32_t count) override;
    std::int32_t RawGetPosition() override;
    void RawSetPosition(std::int32_t position) override;
    std::int32_t RawGetSize() override;
    void RawSetSize(std::int32_t size) override;

    // Sets the size to `size`, zeroing the bytes that come into it; the block
    // must already hold `size` bytes.
    void SetSizeWithin(std::int32_t size);
    void ResetContents();

    TZ5MemoryBlock Memory;
    std::int32_t Position = 0;
    std::int32_t Size = 0;
};

// A memory stream without the staging buffer: every operation works on the
// block directly. The block grows in steps (4096 bytes, or a quarter once it
// is above 16384) and shrinks only through SetCapacity and Clear.
class TZ5MemoryStream : public TZ5BufMemoryStream {
public:
    static constexpr std::int32_t SmallGrowth = 4096;        // bytes added while the block is small
    static constexpr std::int32_t QuarterGrowthFrom = 16384; // bytes above which it grows by a quarter

    explicit TZ5MemoryStream(std::int32_t initialSize = 0, std::string name = {});

    std::int32_t Capacity() const { return Capacity_; }
    // Reallocates the block to exactly `capacity` bytes and cuts the size to it.
    void SetCapacity(std::int32_t capacity);

    std::int32_t GetPosition() override;
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    bool ReadByte(std::uint8_t& value) override;
    bool WriteByte(std::uint8_t value) override;
    void Clear() override;

protected:
    bool FillBuffer() override;
    bool FlushBuffer() override;
    void RawSetSize(std::int32_t size) override;

private:
    std::int32_t Capacity_ = 0;
};
