#pragma once
// A string-keyed hash table with separate chaining. Each entry carries a small
// tagged value (integer, floating-point number, text or object reference);
// keys are hashed with the shared CRC-32 and compared byte for byte. Entries
// are only added or overwritten, never removed singly: Clear releases them all.

#include "platform/Exception.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// FindChecked of a key that is not in the list, with RaiseOnUnknown set.
class EUnregisteredKeywordErrorForZ5HashList : public Exception {
public:
    using Exception::Exception;
};

enum TZ5HashKind : std::uint8_t {
    hkInteger = 0,
    hkFloat = 1,
    // An object reference; on this 64-bit build a reference no longer fits the
    // integer value, so it has a kind of its own.
    hkPointer = 2,
    hkText = 5,
};

struct TZ5HashItem {
    TZ5HashItem* Next = nullptr; // next (older) entry in the same bucket
    TZ5HashItem* Prev = nullptr; // set when a newer entry is put in front of this one
    std::string Key;
    std::string Text;
    TZ5HashKind Kind = hkText;
    std::array<std::uint8_t, 8> Value{}; // integer in the first 4 bytes, or a double, or a pointer

    void SetInt(std::int32_t value);
    void SetFloat(double value);
    void SetText(std::string value);
    void SetPointer(void* value);

    // The value converted to the asked type; `fallback` when it cannot be:
    // a double is rounded with ties to even, a text must be one whole number.
    std::int32_t ToInt(std::int32_t fallback) const;
    double ToFloat(double fallback) const;
    std::string ToText() const;
    // The stored reference; nullptr unless the kind is hkPointer.
    void* ToPointer() const;
};

class TZ5HashList {
public:
    // At least one bucket, whatever `bucketCount` says.
    explicit TZ5HashList(std::int32_t bucketCount);
    virtual ~TZ5HashList();
    TZ5HashList(const TZ5HashList&) = delete;
    TZ5HashList& operator=(const TZ5HashList&) = delete;

    // A new text entry with an empty text at the head of its bucket. An entry
    // with the same key is not looked for: the new one shadows it.
    virtual TZ5HashItem* Add(const std::string& key);
    // The newest entry with this key, or nullptr.
    virtual TZ5HashItem* Find(const std::string& key) const;
    // Find; an absent key raises EUnregisteredKeywordErrorForZ5HashList when
    // RaiseOnUnknown is set, else gives nullptr.
    virtual TZ5HashItem* FindChecked(const std::string& key) const;
    // Copies kind, text and value of `source` into the key's entry (added when absent).
    virtual void SetItem(const std::string& key, const TZ5HashItem& source);

    // Typed access: the setters overwrite the key's entry (added when absent);
    // the getters never raise and give `fallback` for an absent key or a
    // value that does not convert.
    void SetInt(const std::string& key, std::int32_t value);
    std::int32_t GetInt(const std::string& key, std::int32_t fallback) const;
    void SetFloat(const std::string& key, double value);
    double GetFloat(const std::string& key, double fallback) const;
    void SetText(const std::string& key, std::string value);
    std::string GetText(const std::string& key, const std::string& fallback) const;
    void SetPointer(const std::string& key, void* value);
    void* GetPointer(const std::string& key) const;

    // Releases every entry.
    void Clear();

    // Iteration: First, then Next while it answers true; CursorItem is the
    // entry under the cursor. Bucket by bucket, each chain newest first. The
    // list must not change during an iteration.
    void First();
    bool Next();
    TZ5HashItem* CursorItem() const { return CursorItem_; }

    std::int32_t BucketCount() const { return static_cast<std::int32_t>(Buckets.size()); }
    std::int32_t BucketOf(const std::string& key) const;

    bool RaiseOnUnknown = false;

private:
    TZ5HashItem* FindOrAdd(const std::string& key);

    std::vector<TZ5HashItem*> Buckets; // chain heads; the entries are owned
    std::int32_t CursorBucket = -1;
    TZ5HashItem* CursorItem_ = nullptr;
};
