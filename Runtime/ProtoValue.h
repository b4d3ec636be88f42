// An in-memory tree value: null, 64-bit integer, wide string, array or object keyed by strings.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

class ProtoValueException {
public:
    std::int32_t code = 0;
    std::wstring message;
};

class ProtoValue {
public:
    // Tags 2 (8-byte scalar) and 3 (narrow string) are reserved and never created.
    enum ValueType : std::int32_t { Null = 0, Integer = 1, String = 4, Array = 5, Object = 6 };

    using ArrayItems = std::vector<ProtoValue>;
    using ObjectMembers = std::map<std::wstring, ProtoValue>;

    ProtoValue() = default;
    explicit ProtoValue(ValueType type);
    ProtoValue(std::int64_t number);      // NOLINT(google-explicit-constructor)
    ProtoValue(const std::wstring& text); // NOLINT(google-explicit-constructor)
    ProtoValue(const wchar_t* text);      // NOLINT(google-explicit-constructor)
    ProtoValue(const ProtoValue& other);
    ProtoValue(ProtoValue&& other) noexcept;
    ~ProtoValue();

    // Copies first, so assigning one of this value's own descendants is safe.
    ProtoValue& operator=(const ProtoValue& other);
    ProtoValue& operator=(ProtoValue&& other) noexcept;

    void swap(ProtoValue& other) noexcept;
    void clear();

    ValueType type() const { return static_cast<ValueType>(tag); }
    bool isNull() const { return tag == Null; }
    // Elements of an array or members of an object; 0 for anything else.
    std::size_t size() const;
    std::vector<std::wstring> memberNames() const;

    // A null value becomes an array. Index = size appends a null element; larger throws code 1.
    template <std::integral Index> ProtoValue& operator[](Index index) {
        if constexpr (std::is_signed_v<Index>) {
            return Element(static_cast<std::int64_t>(index));
        } else {
            return Element(index > static_cast<std::uint64_t>(INT64_MAX) ? -1
                                                                         : static_cast<std::int64_t>(index));
        }
    }
    // A null value becomes an object; an absent key is inserted as null. Throws code 2.
    ProtoValue& operator[](const wchar_t* key);
    ProtoValue& operator[](const std::wstring& key);

    // The member, or the shared null when absent. Never inserts or throws.
    const ProtoValue& get(const wchar_t* key) const;
    bool isMember(const wchar_t* key) const;
    void append(const ProtoValue& value);

    // The stored integer or string; null reads as 0 or empty; other kinds throw code 3.
    // Through a non-const null the reference is a scratch copy, so writes never reach the
    // shared constants (and do not turn the null into a value).
    const std::int64_t& integer() const;
    std::int64_t& integer();
    const std::wstring& string() const;
    std::wstring& string();

    friend bool operator==(const ProtoValue& a, const ProtoValue& b);

private:
    ProtoValue& Element(std::int64_t index);
    ProtoValue& Member(const std::wstring& key);
    void CopyFrom(const ProtoValue& other);

    std::int32_t tag = Null;
    union Storage {
        std::int64_t number;
        std::wstring* text;
        ArrayItems* items;
        ObjectMembers* members;
    } value{0};
};
