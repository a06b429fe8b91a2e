#include "lib/Z5StreamUnit.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::string StreamLabel(const std::string& name) {
    return name.empty() ? "an unnamed stream" : "the stream \"" + name + "\"";
}

// Positions and sizes are worked out in 64 bits and then checked, so that no
// sum wraps into a plausible 32-bit value.
void CheckPosition(std::int64_t position, const std::string& name) {
    if (position < 0 || position > MaxStreamSize)
        throw EZ5Stream("Cannot seek " + StreamLabel(name) + " to position " + std::to_string(position));
}

void CheckSize(std::int64_t size, const std::string& name) {
    if (size < 0)
        throw EZ5Stream("Cannot set the size of " + StreamLabel(name) + " to " + std::to_string(size) +
                        " bytes");
    if (size > MaxStreamSize)
        throw EZ5Stream("Cannot grow " + StreamLabel(name) + " beyond " + std::to_string(MaxStreamSize) +
                        " bytes");
}

} // namespace

// --- TZ5Stream ---------------------------------------------------------------

TZ5Stream::TZ5Stream(std::string name, bool staged) : Name_(std::move(name)) {
    if (staged)
        Buffer = std::make_unique<std::uint8_t[]>(BufferSize);
    DropStagedBytes();
}

TZ5Stream::~TZ5Stream() = default;

std::int32_t TZ5Stream::GetPosition() {
    const std::int32_t raw = RawGetPosition(); // flushes pending bytes first
    return raw + BufferOffset();
}

void TZ5Stream::SetPosition(std::int32_t position) {
    Seek(position, soFromBeginning);
}

std::int32_t TZ5Stream::GetSize() {
    return RawGetSize();
}

void TZ5Stream::SetSize(std::int32_t size) {
    CheckSize(size, Name_);
    const std::int32_t position = GetPosition();
    RawSetSize(size);
    RawSetPosition(position);
    DropStagedBytes();
}

void TZ5Stream::SetAsString(const std::string& text) {
    CheckSize(static_cast<std::int64_t>(text.size()), Name_);
    const auto length = static_cast<std::int32_t>(text.size());
    FlushIfWriting();
    RawSetPosition(0);
    DropStagedBytes();
    RawWrite(text.data(), length);
    RawSetSize(length);
    RawSetPosition(0);
}

std::string TZ5Stream::GetAsString() {
    FlushIfWriting();
    RawSetPosition(0);
    DropStagedBytes();
    std::string text(static_cast<std::size_t>(RawGetSize()), '\0');
    text.resize(static_cast<std::size_t>(RawRead(text.data(), static_cast<std::int32_t>(text.size()))));
    RawSetPosition(0);
    return text;
}

std::int32_t TZ5Stream::Read(void* buffer, std::int32_t count) {
    if (count < 1)
        return 0;
    BeginReading();
    auto* to = static_cast<std::uint8_t*>(buffer);
    std::int32_t copied = 0;
    while (copied < count) {
        if (Cursor == BufferEnd && !FillBuffer())
            break;
        const auto n =
            static_cast<std::int32_t>(std::min<std::ptrdiff_t>(count - copied, BufferEnd - Cursor));
        std::memcpy(to + copied, Cursor, static_cast<std::size_t>(n));
        Cursor += n;
        copied += n;
    }
    return copied;
}

std::int32_t TZ5Stream::Write(const void* buffer, std::int32_t count) {
    if (count < 1 || BufferState_ == sbReading)
        return 0;
    if (BufferState_ != sbWriting) {
        Cursor = Buffer.get();
        BufferEnd = Cursor + BufferSize;
    }
    const auto* from = static_cast<const std::uint8_t*>(buffer);
    std::int32_t taken = 0;
    while (taken < count) {
        const auto n = static_cast<std::int32_t>(std::min<std::ptrdiff_t>(count - taken, BufferEnd - Cursor));
        std::memcpy(Cursor, from + taken, static_cast<std::size_t>(n));
        Cursor += n;
        taken += n;
        if (Cursor == BufferEnd && !FlushBuffer())
            break;
    }
    if (Cursor != Buffer.get())
        BufferState_ = sbWriting;
    return taken;
}

bool TZ5Stream::ReadByte(std::uint8_t& value) {
    if (BufferState_ != sbReading || Cursor == BufferEnd) {
        BeginReading();
        if (Cursor == BufferEnd && !FillBuffer())
            return false;
    }
    value = *Cursor++;
    return true;
}

bool TZ5Stream::WriteByte(std::uint8_t value) {
    if (BufferState_ == sbWriting && BufferEnd - Cursor > 1) {
        *Cursor++ = value;
        return true;
    }
    return Write(&value, 1) == 1;
}

std::int32_t TZ5Stream::Seek(std::int32_t offset, TZ5SeekOrigin origin) {
    std::int64_t target = 0;
    switch (origin) {
    case soFromBeginning: target = offset; break;
    case soFromCurrent: target = std::int64_t{offset} + GetPosition(); break;
    case soFromEnd: target = std::int64_t{RawGetSize()} - offset; break;
    default: return -1;
    }
    CheckPosition(target, Name_);
    const auto position = static_cast<std::int32_t>(target);
    // Bytes read ahead are dropped even when the position stays, so that a
    // Seek to the current position lets writing follow reading.
    if (position == GetPosition() && BufferState_ != sbReading)
        return position;
    FlushIfWriting();
    RawSetPosition(position);
    DropStagedBytes();
    return position;
}

std::int32_t TZ5Stream::BufferOffset() const {
    switch (BufferState_) {
    case sbReading: return static_cast<std::int32_t>(Cursor - BufferEnd);
    case sbWriting: return static_cast<std::int32_t>(Cursor - Buffer.get());
    default: return 0;
    }
}

// A position beyond the end counts as the end: nothing can be read there.
bool TZ5Stream::IsEOF() {
    const bool nothingReadAhead = BufferState_ != sbReading || Cursor == BufferEnd;
    return nothingReadAhead && RawGetPosition() >= RawGetSize();
}

std::int32_t TZ5Stream::CopyFrom(TZ5Stream& source, std::int32_t count) {
    if (count < 1)
        return 0;
    const std::int32_t blockSize = std::min(count, CopyBlockSize);
    std::vector<std::uint8_t> block(static_cast<std::size_t>(blockSize));
    std::int32_t written = 0;
    while (written < count) {
        const std::int32_t read = source.Read(block.data(), std::min(count - written, blockSize));
        const std::int32_t moved = Write(block.data(), read);
        written += moved;
        if (moved == 0 || moved < read)
            break;
    }
    return written;
}

bool TZ5Stream::FillBuffer() {
    const std::int32_t got = RawRead(Buffer.get(), BufferSize);
    Cursor = Buffer.get();
    BufferEnd = Cursor + got;
    BufferState_ = got > 0 ? sbReading : sbIdle;
    return got > 0;
}

// The buffer is emptied before the raw write: bytes that the raw layer refuses
// with an exception are lost with a message, instead of raising again from
// every later call.
bool TZ5Stream::FlushBuffer() {
    const auto pending = static_cast<std::int32_t>(Cursor - Buffer.get());
    Cursor = Buffer.get();
    BufferState_ = sbIdle;
    return RawWrite(Buffer.get(), pending) == pending;
}

void TZ5Stream::DropStagedBytes() {
    Cursor = Buffer.get();
    BufferEnd = Cursor;
    BufferState_ = sbIdle;
}

void TZ5Stream::FlushIfWriting() {
    if (BufferState_ == sbWriting)
        FlushBuffer();
}

// After written bytes are flushed, or when nothing was read ahead, the buffer
// counts as empty, so the next refill starts at the raw position.
void TZ5Stream::BeginReading() {
    FlushIfWriting();
    if (BufferState_ != sbReading)
        BufferEnd = Cursor = Buffer.get();
}

// --- TZ5MemoryBlock ----------------------------------------------------------

TZ5MemoryBlock::~TZ5MemoryBlock() {
    Release();
}

void TZ5MemoryBlock::Resize(std::int32_t bytes, const std::string& owner) {
    if (bytes == 0) {
        Release();
        return;
    }
    void* grown = std::realloc(Data_, static_cast<std::size_t>(bytes));
    if (grown == nullptr)
        throw EZ5Stream("Out of memory for " + std::to_string(bytes) + " bytes of " + StreamLabel(owner));
    Data_ = static_cast<std::uint8_t*>(grown);
}

void TZ5MemoryBlock::Release() {
    std::free(Data_);
    Data_ = nullptr;
}

// --- TZ5BufMemoryStream ------------------------------------------------------

TZ5BufMemoryStream::TZ5BufMemoryStream(std::int32_t initialSize, std::string name)
    : TZ5BufMemoryStream(std::move(name), true) {
    if (initialSize > 0)
        RawSetSize(initialSize);
}

TZ5BufMemoryStream::TZ5BufMemoryStream(std::string name, bool staged) : TZ5Stream(std::move(name), staged) {}

// Pending bytes would only be flushed into the block that goes now.
TZ5BufMemoryStream::~TZ5BufMemoryStream() = default;

void TZ5BufMemoryStream::Clear() {
    ResetContents();
}

std::int32_t TZ5BufMemoryStream::RawRead(void* buffer, std::int32_t count) {
    if (count < 1 || Position >= Size)
        return 0;
    const std::int32_t n = std::min(count, Size - Position);
    std::memcpy(buffer, Memory.Data() + Position, static_cast<std::size_t>(n));
    Position += n;
    return n;
}

std::int32_t TZ5BufMemoryStream::RawWrite(const void* buffer, std::int32_t count) {
    if (count < 1)
        return 0;
    const std::int64_t end = std::int64_t{Position} + count;
    CheckSize(end, Name());
    if (end > Size)
        RawSetSize(static_cast<std::int32_t>(end));
    std::memcpy(Memory.Data() + Position, buffer, static_cast<std::size_t>(count));
    Position = static_cast<std::int32_t>(end);
    return count;
}

std::int32_t TZ5BufMemoryStream::RawGetPosition() {
    FlushIfWriting();
    return Position;
}

void TZ5BufMemoryStream::RawSetPosition(std::int32_t position) {
    assert(position >= 0);
    FlushIfWriting();
    Position = position;
}

std::int32_t TZ5BufMemoryStream::RawGetSize() {
    FlushIfWriting();
    return Size;
}

void TZ5BufMemoryStream::RawSetSize(std::int32_t size) {
    CheckSize(size, Name());
    if (size != Size)
        Memory.Resize(size, Name());
    SetSizeWithin(size);
}

// Bytes that come into the stream by growing it read as zero, never as what
// the heap held before.
void TZ5BufMemoryStream::SetSizeWithin(std::int32_t size) {
    if (size > Size)
        std::memset(Memory.Data() + Size, 0, static_cast<std::size_t>(size - Size));
    Size = size;
}

void TZ5BufMemoryStream::ResetContents() {
    Memory.Release();
    Position = 0;
    Size = 0;
    DropStagedBytes();
}

// --- TZ5MemoryStream ---------------------------------------------------------

TZ5MemoryStream::TZ5MemoryStream(std::int32_t initialSize, std::string name)
    : TZ5BufMemoryStream(std::move(name), false) {
    if (initialSize > 0)
        RawSetSize(initialSize);
}

void TZ5MemoryStream::SetCapacity(std::int32_t capacity) {
    CheckSize(capacity, Name());
    Memory.Resize(capacity, Name());
    Capacity_ = capacity;
    Size = std::min(Size, capacity);
}

std::int32_t TZ5MemoryStream::GetPosition() {
    return Position;
}

std::int32_t TZ5MemoryStream::Read(void* buffer, std::int32_t count) {
    return TZ5BufMemoryStream::RawRead(buffer, count);
}

// Writes that fit the block with no gap before them skip the growth path.
std::int32_t TZ5MemoryStream::Write(const void* buffer, std::int32_t count) {
    if (count < 1 || Position > Size || count > Capacity_ - Position)
        return TZ5BufMemoryStream::RawWrite(buffer, count);
    std::memcpy(Memory.Data() + Position, buffer, static_cast<std::size_t>(count));
    Position += count;
    Size = std::max(Size, Position);
    return count;
}

bool TZ5MemoryStream::ReadByte(std::uint8_t& value) {
    return TZ5BufMemoryStream::RawRead(&value, 1) == 1;
}

bool TZ5MemoryStream::WriteByte(std::uint8_t value) {
    TZ5MemoryStream::Write(&value, 1);
    return true;
}

void TZ5MemoryStream::Clear() {
    ResetContents();
    Capacity_ = 0;
}

bool TZ5MemoryStream::FillBuffer() {
    BufferState_ = sbIdle;
    return true;
}

bool TZ5MemoryStream::FlushBuffer() {
    BufferState_ = sbIdle;
    return true;
}

void TZ5MemoryStream::RawSetSize(std::int32_t size) {
    CheckSize(size, Name());
    if (size > Capacity_) {
        const std::int64_t step = Capacity_ > QuarterGrowthFrom ? Capacity_ / 4 : SmallGrowth;
        const std::int64_t grown =
            std::min<std::int64_t>(std::max<std::int64_t>(Capacity_ + step, size), MaxStreamSize);
        Memory.Resize(static_cast<std::int32_t>(grown), Name());
        Capacity_ = static_cast<std::int32_t>(grown);
    }
    SetSizeWithin(size);
}
