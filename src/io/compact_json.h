// A read-only JSON document for the sheet reader: the parsed text as one array of 32-byte
// nodes, with texts left in the source wherever they hold no escape. It answers the few
// questions the reader asks of a value, with nlohmann::json's names, so that one reader reads
// both.
//
// It only says yes: a text it is not sure about (a syntax error, a repeated key, nesting
// deeper than MaxJsonNesting, a number it cannot hold exactly as nlohmann would, a byte-order
// mark, ...) is refused with CompactJsonRefused and no message; the caller then reads the text
// with nlohmann, which finds the fault and words it. Whatever it accepts, nlohmann reads as
// the same values.
//
// The document views the source text, which must outlive it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace zkl::io {

// How deep arrays and objects may nest in a sheet file. A sheet at the cell limit nests about
// 2 * MaxCellNesting + 6 deep (each cell is an object and its components an array), so this
// refuses only files that are not sheets; it keeps the readers, which walk the text and the
// value recursively, from being driven off the stack.
inline constexpr std::size_t MaxJsonNesting = 512;

struct CompactJsonRefused {};

// Keys are short and mostly differ in length or first letter; looking at those first spares
// a call to memcmp for nearly every key that does not match.
inline bool SameKey(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a.empty() || a.front() == b.front()) && a == b;
}

class CompactJson {
public:
    enum class Kind : std::uint8_t { Null, Boolean, Integer, Unsigned, Float, String, Array, Object };

    bool is_null() const { return kind_ == Kind::Null; }
    bool is_boolean() const { return kind_ == Kind::Boolean; }
    bool is_number() const {
        return kind_ == Kind::Integer || kind_ == Kind::Unsigned || kind_ == Kind::Float;
    }
    bool is_number_integer() const { return kind_ == Kind::Integer || kind_ == Kind::Unsigned; }
    bool is_number_unsigned() const { return kind_ == Kind::Unsigned; }
    bool is_string() const { return kind_ == Kind::String; }
    bool is_array() const { return kind_ == Kind::Array; }
    bool is_object() const { return kind_ == Kind::Object; }

    // The conversions nlohmann makes between number kinds; nothing else converts.
    template <typename T>
    T get() const {
        if constexpr (std::is_same_v<T, bool>)
            return boolean_;
        else if constexpr (std::is_same_v<T, std::string>)
            return std::string(text_, size_);
        else
            return kind_ == Kind::Float      ? static_cast<T>(number_)
                   : kind_ == Kind::Unsigned ? static_cast<T>(unsigned_)
                                             : static_cast<T>(integer_);
    }
    std::string_view text() const { return {text_, size_}; }

    // Arrays and objects: their entries, which in an object carry their keys.
    std::size_t size() const { return is_array() || is_object() ? size_ : 0; }
    bool empty() const { return size() == 0; }
    const CompactJson* begin() const { return this + first_; }
    const CompactJson* end() const { return begin() + size(); }
    const CompactJson& operator[](std::size_t index) const { return begin()[index]; }
    const CompactJson& items() const { return *this; }
    const CompactJson* find(std::string_view key) const;
    const CompactJson& at(std::string_view key) const;  // throws CompactJsonRefused when missing

    // An entry of an object.
    std::string_view key() const { return {key_, keySize_}; }
    const CompactJson& value() const { return *this; }

    // Numbers compare by value across kinds, as nlohmann compares them.
    friend bool operator==(const CompactJson& json, std::int64_t number);

private:
    friend class CompactJsonParser;

    Kind kind_ = Kind::Null;
    bool boolean_ = false;
    std::uint32_t keySize_ = 0;
    std::uint32_t size_ = 0;  // of a text, an array or an object
    // Entries lie together in the document's node array, first_ nodes from their container
    // (before it: a container is stored after its entries).
    std::int32_t first_ = 0;
    const char* key_ = nullptr;
    union {
        std::int64_t integer_ = 0;
        double number_;
        std::uint64_t unsigned_;
        const char* text_;
    };
};

class CompactJsonDocument {
public:
    // Throws CompactJsonRefused.
    explicit CompactJsonDocument(std::string_view text);

    const CompactJson& Root() const { return nodes_.back(); }

private:
    std::vector<CompactJson> nodes_;
    std::deque<std::string> unescaped_;  // texts that held escapes; a deque keeps them in place
};

}  // namespace zkl::io
