// Fuzzed bytes as a program of stream operations (reads, writes, seeks, size
// changes, copies, string views) run on a buffered or a direct memory stream
// and, beside it, on a std::vector that models what the stream must hold. Any
// difference in bytes, counts, positions or sizes, an exception where the model
// expects none (or none where it expects one), a crash, a leak or a sanitizer
// report is a finding.

#include "lib/Z5StreamUnit.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Positions and sizes stay below this, so that no input asks for gigabytes.
constexpr std::int32_t LargestPosition = 1 << 20;     // bytes
constexpr std::int32_t LargestPiece = 3 * 4096 + 100; // bytes per read or write: several buffers
constexpr std::int32_t LargestCopy = 80000;           // bytes per CopyFrom: several passes

void Expect(bool condition) {
    if (!condition)
        std::abort();
}

// What the stream must hold, where it must stand, and whether bytes read ahead
// make it refuse writing until the next Seek (buffered streams only).
struct TModel {
    std::vector<std::uint8_t> Bytes;
    std::int64_t Position = 0;
    bool ReadAhead = false;

    std::int32_t Available() const {
        return static_cast<std::int32_t>(std::max<std::int64_t>(0, std::ssize(Bytes) - Position));
    }

    std::vector<std::uint8_t> Read(std::int32_t count) {
        const std::int32_t n = std::min(std::max(count, 0), Available());
        std::vector<std::uint8_t> read(Bytes.begin() + Position, Bytes.begin() + Position + n);
        Position += n;
        return read;
    }

    void Write(const std::vector<std::uint8_t>& data) {
        if (data.empty())
            return; // moving nothing never extends the stream
        const auto end = static_cast<std::size_t>(Position) + data.size();
        if (end > Bytes.size())
            Bytes.resize(end, 0);
        std::copy(data.begin(), data.end(), Bytes.begin() + Position);
        Position = static_cast<std::int64_t>(end);
    }
};

class TStreamRun {
public:
    TStreamRun(FuzzedDataProvider& input, bool buffered) : Input(input), Buffered(buffered) {
        if (buffered)
            Stream = std::make_unique<TZ5BufMemoryStream>(0, "fuzz");
        else
            Stream = std::make_unique<TZ5MemoryStream>(0, "fuzz");
    }

    void Step() {
        switch (Input.ConsumeIntegralInRange(0, 10)) {
        case 0: Write(); break;
        case 1: Read(); break;
        case 2: WriteByte(); break;
        case 3: ReadByte(); break;
        case 4: Seek(); break;
        case 5: SetSize(); break;
        case 6: CopyFrom(); break;
        case 7: SetAsString(); break;
        case 8: CheckString(); break;
        case 9: CheckPlace(); break;
        default: ChangeCapacity(); break;
        }
    }

    void CheckString() {
        const std::string text = Stream->GetAsString();
        Expect(std::vector<std::uint8_t>(text.begin(), text.end()) == Model.Bytes);
        Model.Position = 0;
        Model.ReadAhead = false;
        Expect(Stream->GetPosition() == 0);
    }

private:
    std::int32_t Count(std::int32_t largest) {
        return Input.ConsumeIntegralInRange<std::int32_t>(-2, largest);
    }

    std::vector<std::uint8_t> Bytes(std::int32_t largest) {
        return Input.ConsumeBytes<std::uint8_t>(
            static_cast<std::size_t>(Input.ConsumeIntegralInRange(0, largest)));
    }

    bool RefusesWriting() const { return Buffered && Model.ReadAhead; }

    void Write() {
        const std::vector<std::uint8_t> data = Bytes(LargestPiece);
        if (Model.Position + std::ssize(data) > LargestPosition)
            return;
        const std::int32_t written = Stream->Write(data.data(), static_cast<std::int32_t>(data.size()));
        if (RefusesWriting() || data.empty()) {
            Expect(written == 0);
            return;
        }
        Expect(written == std::ssize(data));
        Model.Write(data);
    }

    void WriteByte() {
        const auto value = Input.ConsumeIntegral<std::uint8_t>();
        if (Model.Position >= LargestPosition)
            return;
        const bool written = Stream->WriteByte(value);
        Expect(written == !RefusesWriting());
        if (written)
            Model.Write({value});
    }

    // A read that comes up short has tried to refill and found the end, so
    // nothing is left read ahead; a read served in full leaves the rest.
    void Read() {
        const std::int32_t count = Count(LargestPiece);
        std::vector<std::uint8_t> read(static_cast<std::size_t>(std::max(count, 0)));
        const std::int32_t got = Stream->Read(read.data(), count);
        const std::vector<std::uint8_t> expected = Model.Read(count);
        Expect(got == std::ssize(expected) && std::equal(expected.begin(), expected.end(), read.begin()));
        if (count > 0)
            Model.ReadAhead = got == count;
    }

    void ReadByte() {
        std::uint8_t value = 0;
        const bool got = Stream->ReadByte(value);
        const std::vector<std::uint8_t> expected = Model.Read(1);
        Expect(got == !expected.empty() && (!got || value == expected[0]));
        Model.ReadAhead = got;
    }

    void Seek() {
        const auto origin = static_cast<TZ5SeekOrigin>(Input.ConsumeIntegralInRange(0, 3));
        const auto offset = Input.ConsumeIntegral<std::int32_t>();
        std::int64_t target = -1;
        switch (origin) {
        case soFromBeginning: target = offset; break;
        case soFromCurrent: target = Model.Position + offset; break;
        case soFromEnd: target = std::ssize(Model.Bytes) - offset; break;
        default: Expect(Stream->Seek(offset, origin) == -1); return;
        }
        if (target > LargestPosition)
            return;
        if (target < 0) {
            ExpectRefused([&] { Stream->Seek(offset, origin); });
            return;
        }
        Expect(Stream->Seek(offset, origin) == target);
        Model.Position = target;
        Model.ReadAhead = false;
    }

    void SetSize() {
        const std::int32_t size = Count(LargestPosition);
        if (size < 0) {
            ExpectRefused([&] { Stream->SetSize(size); });
            return;
        }
        Stream->SetSize(size);
        Model.Bytes.resize(static_cast<std::size_t>(size), 0);
        Model.ReadAhead = false;
    }

    void ChangeCapacity() {
        auto* direct = dynamic_cast<TZ5MemoryStream*>(Stream.get());
        if (direct == nullptr) {
            Stream->Clear();
            Model = TModel{};
            return;
        }
        const std::int32_t capacity = Count(LargestPosition);
        if (capacity < 0) {
            ExpectRefused([&] { direct->SetCapacity(capacity); });
            return;
        }
        direct->SetCapacity(capacity);
        Expect(direct->Capacity() == capacity);
        if (std::ssize(Model.Bytes) > capacity)
            Model.Bytes.resize(static_cast<std::size_t>(capacity));
    }

    // The source stands somewhere in bytes of its own; the first pass reads
    // before this stream can refuse to write.
    void CopyFrom() {
        TModel source;
        source.Bytes = Bytes(LargestCopy);
        source.Position = Input.ConsumeIntegralInRange<std::int64_t>(0, std::ssize(source.Bytes));
        TZ5MemoryStream sourceStream;
        sourceStream.Write(source.Bytes.data(), static_cast<std::int32_t>(source.Bytes.size()));
        sourceStream.Seek(static_cast<std::int32_t>(source.Position), soFromBeginning);

        const std::int32_t count = Count(LargestCopy);
        const std::int32_t copied = Stream->CopyFrom(sourceStream, count);
        if (count < 1) {
            Expect(copied == 0 && sourceStream.GetPosition() == source.Position);
            return;
        }
        if (RefusesWriting()) {
            Expect(copied == 0);
            source.Read(std::min(count, TZ5Stream::CopyBlockSize));
        } else {
            const std::vector<std::uint8_t> moved = source.Read(count);
            Expect(copied == std::ssize(moved));
            Model.Write(moved);
        }
        Expect(sourceStream.GetPosition() == source.Position);
    }

    void SetAsString() {
        const std::vector<std::uint8_t> data = Bytes(LargestPiece);
        Stream->SetAsString(std::string(data.begin(), data.end()));
        Model.Bytes = data;
        Model.Position = 0;
        Model.ReadAhead = false;
    }

    void CheckPlace() {
        Expect(Stream->GetPosition() == Model.Position);
        Expect(Stream->IsEOF() == (Model.Position >= std::ssize(Model.Bytes)));
        Expect(Stream->GetSize() == std::ssize(Model.Bytes));
    }

    template <typename Operation> void ExpectRefused(Operation operation) {
        const std::int32_t before = Stream->GetPosition();
        try {
            operation();
        } catch (const EZ5Stream&) {
            Expect(Stream->GetPosition() == before);
            return;
        }
        std::abort();
    }

    FuzzedDataProvider& Input;
    const bool Buffered;
    std::unique_ptr<TZ5BufMemoryStream> Stream;
    TModel Model;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    TStreamRun run(input, input.ConsumeBool());
    while (input.remaining_bytes() > 0)
        run.Step();
    run.CheckString();
    return 0;
}
