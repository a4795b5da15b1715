// A strict reader of the report's XHTML: well-formedness (balanced tags,
// quoted attributes, known entities) and the element tree the report tests
// walk.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace reporttest {

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;  // entities decoded
    std::string text;                               // character data, children's excluded
    std::vector<std::unique_ptr<Element>> children;
    const Element* parent = nullptr;

    // Every element below this one (depth first) named `name` ("" for all).
    std::vector<const Element*> find_all(const std::string& name) const;
    // Text of this element and all below it.
    std::string all_text() const;
};

// Parses the document after an optional <!DOCTYPE ...> line. Returns null
// and sets `error` when the text is not well formed.
std::unique_ptr<Element> parse_xhtml(const std::string& text, std::string& error);

}  // namespace reporttest
