#include "io/compact_json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "io/sheet_schema.h"

namespace zkl::io {

const CompactJson* CompactJson::find(std::string_view key) const {
    if (!is_object()) return end();
    const CompactJson* entry = begin();
    while (entry != end() && !SameKey(entry->key(), key)) ++entry;
    return entry;
}

const CompactJson& CompactJson::at(std::string_view key) const {
    const CompactJson* entry = find(key);
    if (entry == end()) throw CompactJsonRefused{};
    return *entry;
}

bool operator==(const CompactJson& json, std::int64_t number) {
    switch (json.kind_) {
        case CompactJson::Kind::Integer:
            return json.integer_ == number;
        case CompactJson::Kind::Unsigned:
            return number >= 0 && json.unsigned_ == static_cast<std::uint64_t>(number);
        case CompactJson::Kind::Float:
            return json.number_ == static_cast<double>(number);
        default:
            return false;
    }
}

// Recursive descent over the text. The entries of the containers being read wait on a stack
// of their own and move into the node array, next to each other, when their container ends;
// so each container is stored after its entries and finds them at a fixed distance.
class CompactJsonParser {
public:
    CompactJsonParser(std::string_view text, std::vector<CompactJson>& nodes,
                      std::deque<std::string>& unescaped)
        : at_(text.data()), end_(text.data() + text.size()), nodes_(nodes), unescaped_(unescaped) {}

    void Document() {
        SkipSpace();
        CompactJson root = Value(0);
        SkipSpace();
        if (at_ != end_) Refuse();
        Place(root);
    }

private:
    [[noreturn]] static void Refuse() { throw CompactJsonRefused{}; }

    void SkipSpace() {
        while (at_ != end_ && (*at_ == ' ' || *at_ == '\n' || *at_ == '\r' || *at_ == '\t')) ++at_;
    }
    void Expect(char c) {
        SkipSpace();
        if (at_ == end_ || *at_ != c) Refuse();
        ++at_;
    }

    // Moves a finished node into the node array, turning where its entries lie into a distance.
    void Place(CompactJson node) {
        if (node.is_array() || node.is_object())
            node.first_ = static_cast<std::int32_t>(static_cast<std::int64_t>(node.first_) -
                                                    static_cast<std::int64_t>(nodes_.size()));
        nodes_.push_back(node);
    }

    CompactJson Value(std::size_t depth) {
        if (at_ == end_) Refuse();
        CompactJson node;
        switch (*at_) {
            case '{':
            case '[':
                return Container(depth);
            case '"':
                node.kind_ = CompactJson::Kind::String;
                SetText(node, String());
                return node;
            case 't':
                Literal("true");
                node.kind_ = CompactJson::Kind::Boolean;
                node.boolean_ = true;
                return node;
            case 'f':
                Literal("false");
                node.kind_ = CompactJson::Kind::Boolean;
                return node;
            case 'n':
                Literal("null");
                return node;
            default:
                return Number();
        }
    }

    CompactJson Container(std::size_t depth) {
        if (depth >= MaxJsonNesting) Refuse();
        const bool object = *at_++ == '{';
        const char close = object ? '}' : ']';
        const std::size_t mark = waiting_.size();
        SkipSpace();
        if (at_ != end_ && *at_ == close) {
            ++at_;
        } else {
            for (;;) {
                std::string_view key;
                if (object) {
                    SkipSpace();
                    if (at_ == end_ || *at_ != '"') Refuse();
                    key = String();
                    Expect(':');
                }
                SkipSpace();
                CompactJson entry = Value(depth + 1);
                entry.key_ = key.data();
                entry.keySize_ = static_cast<std::uint32_t>(key.size());
                waiting_.push_back(entry);
                SkipSpace();
                if (at_ == end_) Refuse();
                const char next = *at_++;
                if (next == close) break;
                if (next != ',') Refuse();
            }
        }
        CompactJson node;
        node.kind_ = object ? CompactJson::Kind::Object : CompactJson::Kind::Array;
        node.size_ = static_cast<std::uint32_t>(waiting_.size() - mark);
        if (object) RefuseRepeatedKeys(mark);
        node.first_ = static_cast<std::int32_t>(nodes_.size());
        if (nodes_.size() + node.size_ >= static_cast<std::size_t>(INT32_MAX)) Refuse();
        for (std::size_t i = mark; i < waiting_.size(); ++i) Place(waiting_[i]);
        waiting_.resize(mark);
        return node;
    }

    void RefuseRepeatedKeys(std::size_t mark) const {
        const std::size_t count = waiting_.size() - mark;
        if (count <= 16) {
            for (std::size_t i = mark; i < waiting_.size(); ++i)
                for (std::size_t j = mark; j < i; ++j)
                    if (SameKey(waiting_[i].key(), waiting_[j].key())) Refuse();
            return;
        }
        std::vector<std::string_view> keys;
        keys.reserve(count);
        for (std::size_t i = mark; i < waiting_.size(); ++i) keys.push_back(waiting_[i].key());
        std::sort(keys.begin(), keys.end());
        if (std::adjacent_find(keys.begin(), keys.end()) != keys.end()) Refuse();
    }

    void Literal(std::string_view word) {
        if (static_cast<std::size_t>(end_ - at_) < word.size() ||
            std::memcmp(at_, word.data(), word.size()) != 0)
            Refuse();
        at_ += word.size();
    }

    static void SetText(CompactJson& node, std::string_view text) {
        node.text_ = text.data();
        node.size_ = static_cast<std::uint32_t>(text.size());
    }

    // JSON's number grammar; integers as nlohmann holds them (negative ones signed, others
    // unsigned), and nothing it would hold otherwise (an integer beyond 64 bits, a fraction
    // out of a double's range).
    CompactJson Number() {
        const char* start = at_;
        const auto digits = [this] {
            const char* first = at_;
            while (at_ != end_ && *at_ >= '0' && *at_ <= '9') ++at_;
            return at_ != first;
        };
        if (at_ != end_ && *at_ == '-') ++at_;
        if (at_ != end_ && *at_ == '0')
            ++at_;
        else if (!digits())
            Refuse();
        bool fraction = false;
        if (at_ != end_ && *at_ == '.') {
            ++at_;
            fraction = true;
            if (!digits()) Refuse();
        }
        if (at_ != end_ && (*at_ == 'e' || *at_ == 'E')) {
            ++at_;
            fraction = true;
            if (at_ != end_ && (*at_ == '+' || *at_ == '-')) ++at_;
            if (!digits()) Refuse();
        }
        CompactJson node;
        std::from_chars_result result{};
        if (fraction) {
            node.kind_ = CompactJson::Kind::Float;
            result = std::from_chars(start, at_, node.number_);
            if (result.ec == std::errc() && !std::isfinite(node.number_)) Refuse();
        } else if (*start == '-') {
            node.kind_ = CompactJson::Kind::Integer;
            result = std::from_chars(start, at_, node.integer_);
        } else {
            node.kind_ = CompactJson::Kind::Unsigned;
            result = std::from_chars(start, at_, node.unsigned_);
        }
        if (result.ec != std::errc() || result.ptr != at_) Refuse();
        return node;
    }

    // A text without escapes stays where it is in the source.
    std::string_view String() {
        const char* start = ++at_;
        bool wide = false;
        while (at_ != end_) {
            const auto c = static_cast<unsigned char>(*at_);
            if (c == '"') {
                const std::string_view text(start, static_cast<std::size_t>(at_ - start));
                ++at_;
                if (wide && !sheet::IsValidUtf8(text)) Refuse();
                return text;
            }
            if (c == '\\') return Unescaped(start);
            if (c < 0x20) Refuse();
            wide = wide || c >= 0x80;
            ++at_;
        }
        Refuse();
    }

    std::string_view Unescaped(const char* start) {
        std::string& text = unescaped_.emplace_back(start, at_);
        while (at_ != end_) {
            const auto c = static_cast<unsigned char>(*at_++);
            if (c == '"') {
                if (!sheet::IsValidUtf8(text)) Refuse();
                return text;
            }
            if (c < 0x20) Refuse();
            if (c != '\\') {
                text += static_cast<char>(c);
                continue;
            }
            if (at_ == end_) Refuse();
            switch (*at_++) {
                case '"':
                    text += '"';
                    break;
                case '\\':
                    text += '\\';
                    break;
                case '/':
                    text += '/';
                    break;
                case 'b':
                    text += '\b';
                    break;
                case 'f':
                    text += '\f';
                    break;
                case 'n':
                    text += '\n';
                    break;
                case 'r':
                    text += '\r';
                    break;
                case 't':
                    text += '\t';
                    break;
                case 'u':
                    AppendCodePoint(text);
                    break;
                default:
                    Refuse();
            }
        }
        Refuse();
    }

    std::uint32_t Hex4() {
        if (end_ - at_ < 4) Refuse();
        std::uint32_t value = 0;
        const auto result = std::from_chars(at_, at_ + 4, value, 16);
        if (result.ec != std::errc() || result.ptr != at_ + 4) Refuse();
        at_ += 4;
        return value;
    }

    // A surrogate pair makes one code point; a surrogate alone is refused, as nlohmann does.
    void AppendCodePoint(std::string& text) {
        std::uint32_t code = Hex4();
        if (code >= 0xDC00 && code <= 0xDFFF) Refuse();
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (end_ - at_ < 2 || at_[0] != '\\' || at_[1] != 'u') Refuse();
            at_ += 2;
            const std::uint32_t low = Hex4();
            if (low < 0xDC00 || low > 0xDFFF) Refuse();
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += static_cast<char>(0xE0 | (code >> 12));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (code >> 18));
            text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    const char* at_;
    const char* end_;
    std::vector<CompactJson>& nodes_;
    std::deque<std::string>& unescaped_;
    std::vector<CompactJson> waiting_;
};

CompactJsonDocument::CompactJsonDocument(std::string_view text) {
    // About one value in twenty bytes of a sheet; a guess that saves most of the regrowing.
    nodes_.reserve(text.size() / 20 + 1);
    CompactJsonParser(text, nodes_, unescaped_).Document();
}

}  // namespace zkl::io
