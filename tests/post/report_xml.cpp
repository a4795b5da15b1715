// A strict XHTML reader for the report tests.
#include "post/report_xml.h"

#include <cctype>
#include <cstdlib>

namespace reporttest {

namespace {

class Reader {
public:
    explicit Reader(const std::string& s) : s_(s) {}

    std::unique_ptr<Element> document(std::string& error)
    {
        skip_space();
        if (s_.compare(i_, 9, "<!DOCTYPE") == 0) {
            i_ = s_.find('>', i_);
            if (i_ == std::string::npos) return fail(error, "unterminated DOCTYPE");
            ++i_;
        }
        skip_space();
        auto root = element(nullptr);
        skip_space();
        if (root && i_ != s_.size()) problem_ = "text after the root element";
        if (!problem_.empty()) return fail(error, problem_);
        return root;
    }

private:
    const std::string& s_;
    std::size_t i_ = 0;
    std::string problem_;

    std::unique_ptr<Element> fail(std::string& error, const std::string& what)
    {
        error = what + " at offset " + std::to_string(i_);
        return nullptr;
    }
    void skip_space()
    {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    std::string name()
    {
        const std::size_t start = i_;
        while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '-' ||
                                  s_[i_] == ':' || s_[i_] == '_'))
            ++i_;
        return s_.substr(start, i_ - start);
    }
    // Decodes entities in s_[from, to); sets problem_ on an unknown one.
    std::string decode(std::size_t from, std::size_t to)
    {
        std::string out;
        for (std::size_t k = from; k < to; ++k) {
            if (s_[k] == '<') problem_ = "'<' in text";
            if (s_[k] != '&') {
                out += s_[k];
                continue;
            }
            const std::size_t semi = s_.find(';', k);
            if (semi == std::string::npos || semi >= to) {
                problem_ = "bare '&'";
                return out;
            }
            const std::string e = s_.substr(k + 1, semi - k - 1);
            if (e == "amp") out += '&';
            else if (e == "lt") out += '<';
            else if (e == "gt") out += '>';
            else if (e == "quot") out += '"';
            else if (e.size() > 1 && e[0] == '#' && std::isdigit(static_cast<unsigned char>(e[1]))) out += '?';
            else problem_ = "unknown entity &" + e + ";";
            k = semi;
        }
        return out;
    }
    std::unique_ptr<Element> element(const Element* parent)
    {
        if (i_ >= s_.size() || s_[i_] != '<') {
            problem_ = "element expected";
            return nullptr;
        }
        ++i_;
        auto e = std::make_unique<Element>();
        e->parent = parent;
        e->name = name();
        if (e->name.empty()) {
            problem_ = "empty tag name";
            return nullptr;
        }
        for (;;) {
            skip_space();
            if (i_ >= s_.size()) {
                problem_ = "unterminated tag";
                return nullptr;
            }
            if (s_.compare(i_, 2, "/>") == 0) {
                i_ += 2;
                return e;
            }
            if (s_[i_] == '>') {
                ++i_;
                break;
            }
            const std::string key = name();
            if (key.empty() || i_ + 1 >= s_.size() || s_[i_] != '=' || s_[i_ + 1] != '"') {
                problem_ = "malformed attribute in <" + e->name + ">";
                return nullptr;
            }
            i_ += 2;
            const std::size_t close = s_.find('"', i_);
            if (close == std::string::npos) {
                problem_ = "unterminated attribute";
                return nullptr;
            }
            if (e->attributes.count(key)) problem_ = "repeated attribute " + key;
            e->attributes[key] = decode(i_, close);
            i_ = close + 1;
        }
        const bool raw = e->name == "style";  // CSS text may hold '>'
        for (;;) {
            const std::size_t next = s_.find('<', i_);
            if (next == std::string::npos) {
                problem_ = "unclosed <" + e->name + ">";
                return nullptr;
            }
            e->text += raw ? s_.substr(i_, next - i_) : decode(i_, next);
            i_ = next;
            if (s_.compare(i_, 2, "</") == 0) {
                i_ += 2;
                const std::string end = name();
                if (end != e->name || i_ >= s_.size() || s_[i_] != '>') {
                    problem_ = "</" + end + "> closes <" + e->name + ">";
                    return nullptr;
                }
                ++i_;
                return problem_.empty() ? std::move(e) : nullptr;
            }
            auto child = element(e.get());
            if (!child) return nullptr;
            e->children.push_back(std::move(child));
        }
    }
};

void collect(const Element& e, const std::string& name, std::vector<const Element*>& out)
{
    for (const auto& c : e.children) {
        if (name.empty() || c->name == name) out.push_back(c.get());
        collect(*c, name, out);
    }
}

}  // namespace

std::vector<const Element*> Element::find_all(const std::string& wanted) const
{
    std::vector<const Element*> out;
    collect(*this, wanted, out);
    return out;
}

std::string Element::all_text() const
{
    std::string out = text;
    for (const auto& c : children) out += c->all_text();
    return out;
}

std::unique_ptr<Element> parse_xhtml(const std::string& text, std::string& error)
{
    Reader reader(text);
    return reader.document(error);
}

}  // namespace reporttest
