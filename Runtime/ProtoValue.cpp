#include "Runtime/ProtoValue.h"

#include <utility>

namespace {

const ProtoValue kNullValue;
const std::int64_t kZero = 0;
const std::wstring kEmptyString;

[[noreturn]] void Throw(std::int32_t code, const wchar_t* message) {
    throw ProtoValueException{code, message};
}

} // namespace

ProtoValue::ProtoValue(ValueType type) {
    switch (type) {
    case Integer:
        value.number = 0;
        break;
    case String:
        value.text = new std::wstring;
        break;
    case Array:
        value.items = new ArrayItems;
        break;
    case Object:
        value.members = new ObjectMembers;
        break;
    default:
        return;
    }
    tag = type;
}

ProtoValue::ProtoValue(std::int64_t number) : tag(Integer) {
    value.number = number;
}

ProtoValue::ProtoValue(const std::wstring& text) : tag(String) {
    value.text = new std::wstring(text);
}

ProtoValue::ProtoValue(const wchar_t* text) : ProtoValue(std::wstring(text ? text : L"")) {}

ProtoValue::ProtoValue(const ProtoValue& other) {
    CopyFrom(other);
}

ProtoValue::ProtoValue(ProtoValue&& other) noexcept {
    swap(other);
}

ProtoValue::~ProtoValue() {
    clear();
}

ProtoValue& ProtoValue::operator=(const ProtoValue& other) {
    ProtoValue copy(other);
    swap(copy);
    return *this;
}

ProtoValue& ProtoValue::operator=(ProtoValue&& other) noexcept {
    // Through a temporary: other may be a descendant of this value.
    ProtoValue taken(std::move(other));
    swap(taken);
    return *this;
}

void ProtoValue::swap(ProtoValue& other) noexcept {
    std::swap(tag, other.tag);
    std::swap(value, other.value);
}

void ProtoValue::CopyFrom(const ProtoValue& other) {
    switch (other.tag) {
    case String:
        value.text = new std::wstring(*other.value.text);
        break;
    case Array:
        value.items = new ArrayItems(*other.value.items);
        break;
    case Object:
        value.members = new ObjectMembers(*other.value.members);
        break;
    default:
        value = other.value;
        break;
    }
    tag = other.tag;
}

void ProtoValue::clear() {
    switch (tag) {
    case String:
        delete value.text;
        break;
    case Array:
        delete value.items;
        break;
    case Object:
        delete value.members;
        break;
    default:
        break;
    }
    tag = Null;
    value.number = 0;
}

std::size_t ProtoValue::size() const {
    if (tag == Array) {
        return value.items->size();
    }
    return tag == Object ? value.members->size() : 0;
}

std::vector<std::wstring> ProtoValue::memberNames() const {
    std::vector<std::wstring> names;
    if (tag == Object) {
        for (const auto& member : *value.members) {
            names.push_back(member.first);
        }
    }
    return names;
}

ProtoValue& ProtoValue::Element(std::int64_t index) {
    if (tag == Null) {
        *this = ProtoValue(Array);
    }
    if (tag != Array || index < 0 || static_cast<std::uint64_t>(index) > value.items->size()) {
        Throw(1, L"ProtoValue operator[int] out of range");
    }
    ArrayItems& items = *value.items;
    if (static_cast<std::size_t>(index) == items.size()) {
        items.emplace_back();
    }
    return items[static_cast<std::size_t>(index)];
}

ProtoValue& ProtoValue::Member(const std::wstring& key) {
    if (tag == Null) {
        *this = ProtoValue(Object);
    }
    if (tag != Object) {
        Throw(2, L"ProtoValue operator[string] wrong type");
    }
    return (*value.members)[key];
}

ProtoValue& ProtoValue::operator[](const wchar_t* key) {
    return Member(key ? key : L"");
}

ProtoValue& ProtoValue::operator[](const std::wstring& key) {
    return Member(key);
}

const ProtoValue& ProtoValue::get(const wchar_t* key) const {
    if (tag != Object || key == nullptr) {
        return kNullValue;
    }
    const auto found = value.members->find(key);
    return found == value.members->end() ? kNullValue : found->second;
}

bool ProtoValue::isMember(const wchar_t* key) const {
    return tag == Object && key != nullptr && value.members->count(key) != 0;
}

void ProtoValue::append(const ProtoValue& item) {
    // Copied before the array grows: item may be one of its elements.
    ProtoValue copy(item);
    const std::size_t end = tag == Array ? value.items->size() : 0;
    (*this)[end] = std::move(copy);
}

const std::int64_t& ProtoValue::integer() const {
    if (tag == Integer) {
        return value.number;
    }
    if (tag != Null) {
        Throw(3, L"ProtoValue::integer wrong type");
    }
    return kZero;
}

std::int64_t& ProtoValue::integer() {
    if (tag == Integer) {
        return value.number;
    }
    std::as_const(*this).integer();
    thread_local std::int64_t scratch;
    scratch = 0;
    return scratch;
}

const std::wstring& ProtoValue::string() const {
    if (tag == String) {
        return *value.text;
    }
    if (tag != Null) {
        Throw(3, L"ProtoValue::string wrong type");
    }
    return kEmptyString;
}

std::wstring& ProtoValue::string() {
    if (tag == String) {
        return *value.text;
    }
    std::as_const(*this).string();
    thread_local std::wstring scratch;
    scratch.clear();
    return scratch;
}

bool operator==(const ProtoValue& a, const ProtoValue& b) {
    if (a.tag != b.tag) {
        return false;
    }
    switch (a.tag) {
    case ProtoValue::String:
        return *a.value.text == *b.value.text;
    case ProtoValue::Array:
        return *a.value.items == *b.value.items;
    case ProtoValue::Object:
        return *a.value.members == *b.value.members;
    default:
        return a.value.number == b.value.number;
    }
}
