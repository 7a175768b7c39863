// A small pull parser for the XML parts of .docx and .odt files, with namespace resolution.
// Malformed markup raises ReadError; there is no DTD processing and no external entity.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/byte_reader.h"

namespace quill::document {

class XmlReader {
  public:
    enum class Event { StartElement, EndElement, Text, End };

    struct Attribute {
        std::string namespaceUri;
        std::string localName;
        std::string value;
    };

    explicit XmlReader(std::string_view xml);

    Event next();

    // For StartElement and EndElement.
    const std::string& namespaceUri() const { return namespaceUri_; }
    const std::string& localName() const { return localName_; }
    // For StartElement: the attribute's value, or nullptr.
    const std::string* attribute(std::string_view namespaceUri, std::string_view localName) const;
    // For Text: the character data, entities resolved, in UTF-8.
    const std::string& text() const { return text_; }
    std::size_t depth() const { return openElements_.size(); }

  private:
    struct OpenElement {
        std::string namespaceUri;
        std::string localName;
        std::string qualifiedName;
        std::size_t bindingCount;
    };

    Event startTag();
    Event endTag();
    void resolve(std::string_view qualifiedName, bool isAttribute, std::string& uri,
                 std::string& local) const;
    std::string decode(std::string_view raw) const;
    void skipPast(std::string_view terminator);

    std::string_view xml_;
    std::size_t pos_ = 0;
    std::vector<std::pair<std::string, std::string>> bindings_;  // prefix, namespace
    std::vector<OpenElement> openElements_;
    bool pendingEnd_ = false;  // an empty element's end event comes next
    std::string namespaceUri_, localName_, text_;
    std::vector<Attribute> attributes_;
};

}  // namespace quill::document
