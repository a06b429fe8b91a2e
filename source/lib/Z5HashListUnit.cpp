#include "lib/Z5HashListUnit.h"

#include "lib/Z5CRCUnit.h"
#include "lib/Z5UtilsUnit.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

// --- TZ5HashItem -------------------------------------------------------------

namespace {

template <typename T> void StoreValue(TZ5HashItem& item, TZ5HashKind kind, T value) {
    static_assert(sizeof(T) <= sizeof(item.Value));
    item.Kind = kind;
    std::memcpy(item.Value.data(), &value, sizeof(T));
}

template <typename T> T LoadValue(const TZ5HashItem& item) {
    T value;
    std::memcpy(&value, item.Value.data(), sizeof(T));
    return value;
}

std::int32_t RoundedOr(double value, std::int32_t fallback) {
    using Limits = std::numeric_limits<std::int32_t>;
    // Far outside the 32-bit range (and for NaN) the 64-bit rounding is undefined.
    constexpr double Bound = 4294967296.0;
    if (!(std::fabs(value) < Bound))
        return fallback;
    const std::int64_t rounded = RoundToInt(value);
    return rounded < Limits::min() || rounded > Limits::max() ? fallback : static_cast<std::int32_t>(rounded);
}

std::string FloatText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

double TextToFloatOr(const std::string& text, double fallback) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error != std::errc() || stop != end || text.empty() ? fallback : value;
}

} // namespace

void TZ5HashItem::SetInt(std::int32_t value) {
    StoreValue(*this, hkInteger, value);
}

void TZ5HashItem::SetFloat(double value) {
    StoreValue(*this, hkFloat, value);
}

void TZ5HashItem::SetText(std::string value) {
    Kind = hkText;
    Text = std::move(value);
}

void TZ5HashItem::SetPointer(void* value) {
    StoreValue(*this, hkPointer, value);
}

std::int32_t TZ5HashItem::ToInt(std::int32_t fallback) const {
    switch (Kind) {
    case hkInteger: return LoadValue<std::int32_t>(*this);
    case hkFloat: return RoundedOr(LoadValue<double>(*this), fallback);
    case hkText: return TextToInt(Text).value_or(fallback);
    default: return fallback;
    }
}

double TZ5HashItem::ToFloat(double fallback) const {
    switch (Kind) {
    case hkInteger: return LoadValue<std::int32_t>(*this);
    case hkFloat: return LoadValue<double>(*this);
    case hkText: return TextToFloatOr(Text, fallback);
    default: return fallback;
    }
}

std::string TZ5HashItem::ToText() const {
    switch (Kind) {
    case hkInteger: return IntToText(LoadValue<std::int32_t>(*this));
    case hkFloat: return FloatText(LoadValue<double>(*this));
    case hkText: return Text;
    default: return {};
    }
}

void* TZ5HashItem::ToPointer() const {
    return Kind == hkPointer ? LoadValue<void*>(*this) : nullptr;
}

// --- TZ5HashList -------------------------------------------------------------

TZ5HashList::TZ5HashList(std::int32_t bucketCount)
    : Buckets(static_cast<std::size_t>(std::max(bucketCount, 1)), nullptr) {}

TZ5HashList::~TZ5HashList() {
    Clear();
}

std::int32_t TZ5HashList::BucketOf(const std::string& key) const {
    return static_cast<std::int32_t>(CRC().Calc(key) % Buckets.size());
}

TZ5HashItem* TZ5HashList::Add(const std::string& key) {
    TZ5HashItem*& head = Buckets[static_cast<std::size_t>(BucketOf(key))];
    auto* item = new TZ5HashItem;
    item->Key = key;
    item->Next = head;
    if (head != nullptr)
        head->Prev = item;
    head = item;
    return item;
}

TZ5HashItem* TZ5HashList::Find(const std::string& key) const {
    for (TZ5HashItem* item = Buckets[static_cast<std::size_t>(BucketOf(key))]; item; item = item->Next)
        if (item->Key == key)
            return item;
    return nullptr;
}

TZ5HashItem* TZ5HashList::FindChecked(const std::string& key) const {
    TZ5HashItem* item = Find(key);
    if (item == nullptr && RaiseOnUnknown)
        throw EUnregisteredKeywordErrorForZ5HashList("登録されていないキー(" + key +
                                                     ")の内容を参照しようとしました");
    return item;
}

void TZ5HashList::SetItem(const std::string& key, const TZ5HashItem& source) {
    TZ5HashItem* item = FindOrAdd(key);
    item->Kind = source.Kind;
    item->Text = source.Text;
    item->Value = source.Value;
}

void TZ5HashList::SetInt(const std::string& key, std::int32_t value) {
    FindOrAdd(key)->SetInt(value);
}

std::int32_t TZ5HashList::GetInt(const std::string& key, std::int32_t fallback) const {
    const TZ5HashItem* item = Find(key);
    return item ? item->ToInt(fallback) : fallback;
}

void TZ5HashList::SetFloat(const std::string& key, double value) {
    FindOrAdd(key)->SetFloat(value);
}

double TZ5HashList::GetFloat(const std::string& key, double fallback) const {
    const TZ5HashItem* item = Find(key);
    return item ? item->ToFloat(fallback) : fallback;
}

void TZ5HashList::SetText(const std::string& key, std::string value) {
    FindOrAdd(key)->SetText(std::move(value));
}

std::string TZ5HashList::GetText(const std::string& key, const std::string& fallback) const {
    const TZ5HashItem* item = Find(key);
    return item ? item->ToText() : fallback;
}

void TZ5HashList::SetPointer(const std::string& key, void* value) {
    FindOrAdd(key)->SetPointer(value);
}

void* TZ5HashList::GetPointer(const std::string& key) const {
    const TZ5HashItem* item = Find(key);
    return item ? item->ToPointer() : nullptr;
}

void TZ5HashList::Clear() {
    for (TZ5HashItem*& head : Buckets) {
        while (head != nullptr) {
            TZ5HashItem* older = head->Next;
            delete head;
            head = older;
        }
    }
    First();
}

void TZ5HashList::First() {
    CursorBucket = -1;
    CursorItem_ = nullptr;
}

bool TZ5HashList::Next() {
    CursorItem_ = CursorItem_ ? CursorItem_->Next : nullptr;
    while (CursorItem_ == nullptr) {
        if (CursorBucket + 1 >= BucketCount())
            return false; // the cursor stays at the end
        CursorItem_ = Buckets[static_cast<std::size_t>(++CursorBucket)];
    }
    return true;
}

TZ5HashItem* TZ5HashList::FindOrAdd(const std::string& key) {
    TZ5HashItem* item = Find(key);
    return item ? item : Add(key);
}
