// Reading an SVG picture back in tests: start tags with their attributes, the text of a
// group, counts and a small well-formedness check. Regex based: good for the pictures our
// renderer writes (double-quoted attributes, no CDATA), not for SVG in general.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace zkl::svg_reading {

struct Tag {
    std::map<std::string, std::string> attributes;
    std::string content;  // character data of a <text>, still escaped
    std::size_t position = 0;

    const std::string& operator[](const std::string& name) const {
        static const std::string missing = "<missing>";
        auto it = attributes.find(name);
        return it == attributes.end() ? missing : it->second;
    }
    double Number(const std::string& name) const { return std::stod((*this)[name]); }
};

inline std::vector<Tag> FindTags(const std::string& svg, const std::string& name) {
    std::vector<Tag> tags;
    const std::regex start("<" + name + "((?:\\s+[\\w:-]+=\"[^\"]*\")*)\\s*(/?)>");
    const std::regex attribute("([\\w:-]+)=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), start); it != std::sregex_iterator(); ++it) {
        Tag tag;
        tag.position = static_cast<std::size_t>(it->position());
        const std::string attributes = (*it)[1];
        for (auto a = std::sregex_iterator(attributes.begin(), attributes.end(), attribute);
             a != std::sregex_iterator(); ++a)
            tag.attributes[(*a)[1]] = (*a)[2];
        if ((*it)[2] != "/") {
            const std::size_t from = tag.position + static_cast<std::size_t>(it->length());
            tag.content = svg.substr(from, svg.find('<', from) - from);
        }
        tags.push_back(tag);
    }
    return tags;
}

// The text of the <g> group whose start tag contains `marker`, up to its matching </g>.
inline std::string Group(const std::string& svg, const std::string& marker) {
    const std::size_t start = svg.find(marker);
    if (start == std::string::npos) return "";
    int open = 0;
    for (std::size_t pos = svg.rfind("<g", start); pos < svg.size(); ++pos) {
        if (svg.compare(pos, 3, "<g ") == 0) ++open;
        if (svg.compare(pos, 4, "</g>") == 0 && --open == 0) return svg.substr(start, pos - start);
    }
    return "";
}

inline std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++count;
    return count;
}

// A small well-formedness check: tags nest, attribute values and text hold no raw '<' and
// every '&' starts an entity.
inline ::testing::AssertionResult WellFormed(const std::string& svg) {
    std::vector<std::string> open;
    std::size_t pos = 0;
    const std::regex entity("&(amp|lt|gt|quot|apos);");
    while (pos < svg.size()) {
        if (svg[pos] == '&') {
            if (!std::regex_search(svg.begin() + static_cast<long>(pos), svg.end(), entity,
                                   std::regex_constants::match_continuous))
                return ::testing::AssertionFailure() << "bare '&' at " << pos;
            ++pos;
            continue;
        }
        if (svg[pos] != '<') {
            ++pos;
            continue;
        }
        const std::size_t end = svg.find('>', pos);
        if (end == std::string::npos) return ::testing::AssertionFailure() << "unclosed tag at " << pos;
        const std::string tag = svg.substr(pos + 1, end - pos - 1);
        if (tag.find('<') != std::string::npos)
            return ::testing::AssertionFailure() << "'<' inside tag " << tag;
        if (Count(tag, "\"") % 2 != 0) return ::testing::AssertionFailure() << "unbalanced quotes in " << tag;
        if (tag.front() == '/') {
            if (open.empty() || open.back() != tag.substr(1))
                return ::testing::AssertionFailure() << "</" << tag.substr(1) << "> closes nothing open";
            open.pop_back();
        } else if (tag.front() != '?' && tag.back() != '/') {
            open.push_back(tag.substr(0, tag.find(' ')));
        }
        pos = end + 1;
    }
    if (!open.empty()) return ::testing::AssertionFailure() << "<" << open.back() << "> never closed";
    return ::testing::AssertionSuccess();
}

// The six numbers of a "matrix(a b c d e f)" transform.
inline std::vector<double> MatrixOf(const std::string& transform) {
    std::vector<double> values;
    std::istringstream in(transform.substr(transform.find('(') + 1));
    for (double value; in >> value;) values.push_back(value);
    return values;
}

}  // namespace zkl::svg_reading
