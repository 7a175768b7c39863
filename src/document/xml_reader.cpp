#include "document/xml_reader.h"

#include "core/display_text.h"
#include "core/unicode.h"

namespace quill::document {
namespace {

[[noreturn]] void broken() {
    throw ReadError(ReadError::Kind::Broken, "der XML-Inhalt ist fehlerhaft");
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isNameEnd(char c) {
    return isSpace(c) || c == '>' || c == '/' || c == '=';
}

constexpr std::size_t kMaxDepth = 4096;

}  // namespace

XmlReader::XmlReader(std::string_view xml) : xml_(xml) {
    if (xml_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
    bindings_.emplace_back("xml", "http://www.w3.org/XML/1998/namespace");
}

XmlReader::Event XmlReader::next() {
    if (pendingEnd_) {
        pendingEnd_ = false;
        return endTag();
    }
    while (pos_ < xml_.size()) {
        if (xml_[pos_] != '<') {
            const std::size_t end = std::min(xml_.find('<', pos_), xml_.size());
            text_ = decode(xml_.substr(pos_, end - pos_));
            pos_ = end;
            return Event::Text;
        }
        const std::string_view rest = xml_.substr(pos_);
        if (rest.starts_with("<?")) {
            skipPast("?>");
        } else if (rest.starts_with("<!--")) {
            skipPast("-->");
        } else if (rest.starts_with("<![CDATA[")) {
            const std::size_t end = xml_.find("]]>", pos_ + 9);
            if (end == std::string_view::npos) broken();
            text_.assign(xml_.substr(pos_ + 9, end - pos_ - 9));
            if (!core::isValidUtf8(text_)) text_ = core::utf32ToUtf8(core::utf8ToUtf32(text_));
            pos_ = end + 3;
            return Event::Text;
        } else if (rest.starts_with("<!")) {
            // A document type declaration: skipped with any internal subset; its entities are not used.
            int brackets = 0;
            for (++pos_; pos_ < xml_.size(); ++pos_) {
                if (xml_[pos_] == '[') ++brackets;
                if (xml_[pos_] == ']') --brackets;
                if (xml_[pos_] == '>' && brackets <= 0) break;
            }
            if (pos_ >= xml_.size()) broken();
            ++pos_;
        } else if (rest.starts_with("</")) {
            pos_ += 2;
            const std::size_t nameEnd = xml_.find('>', pos_);
            if (nameEnd == std::string_view::npos) broken();
            std::string_view name = xml_.substr(pos_, nameEnd - pos_);
            while (!name.empty() && isSpace(name.back())) name.remove_suffix(1);
            pos_ = nameEnd + 1;
            if (openElements_.empty() || openElements_.back().qualifiedName != name) broken();
            return endTag();
        } else {
            return startTag();
        }
    }
    if (!openElements_.empty()) broken();
    return Event::End;
}

void XmlReader::skipPast(std::string_view terminator) {
    const std::size_t end = xml_.find(terminator, pos_);
    if (end == std::string_view::npos) broken();
    pos_ = end + terminator.size();
}

XmlReader::Event XmlReader::startTag() {
    ++pos_;  // '<'
    const std::size_t nameStart = pos_;
    while (pos_ < xml_.size() && !isNameEnd(xml_[pos_])) ++pos_;
    const std::string_view qualifiedName = xml_.substr(nameStart, pos_ - nameStart);
    if (qualifiedName.empty()) broken();

    std::vector<std::pair<std::string_view, std::string>> rawAttributes;
    bool empty = false;
    while (true) {
        while (pos_ < xml_.size() && isSpace(xml_[pos_])) ++pos_;
        if (pos_ >= xml_.size()) broken();
        if (xml_[pos_] == '>') {
            ++pos_;
            break;
        }
        if (xml_[pos_] == '/') {
            if (pos_ + 1 >= xml_.size() || xml_[pos_ + 1] != '>') broken();
            pos_ += 2;
            empty = true;
            break;
        }
        const std::size_t attributeStart = pos_;
        while (pos_ < xml_.size() && !isNameEnd(xml_[pos_])) ++pos_;
        const std::string_view attributeName = xml_.substr(attributeStart, pos_ - attributeStart);
        while (pos_ < xml_.size() && isSpace(xml_[pos_])) ++pos_;
        if (attributeName.empty() || pos_ >= xml_.size() || xml_[pos_] != '=') broken();
        ++pos_;
        while (pos_ < xml_.size() && isSpace(xml_[pos_])) ++pos_;
        if (pos_ >= xml_.size() || (xml_[pos_] != '"' && xml_[pos_] != '\'')) broken();
        const char quote = xml_[pos_++];
        const std::size_t valueEnd = xml_.find(quote, pos_);
        if (valueEnd == std::string_view::npos) broken();
        rawAttributes.emplace_back(attributeName, decode(xml_.substr(pos_, valueEnd - pos_)));
        pos_ = valueEnd + 1;
    }

    if (openElements_.size() >= kMaxDepth) {
        throw ReadError(ReadError::Kind::Unsupported,
                        "Der XML-Inhalt ist tiefer verschachtelt, als dieses Programm lesen kann (mehr als " +
                            core::groupedNumber(kMaxDepth) + " Ebenen)");
    }
    const std::size_t bindingCount = bindings_.size();
    for (const auto& [name, value] : rawAttributes) {
        if (name == "xmlns") bindings_.emplace_back("", value);
        if (name.starts_with("xmlns:")) bindings_.emplace_back(std::string(name.substr(6)), value);
    }
    attributes_.clear();
    for (auto& [name, value] : rawAttributes) {
        if (name == "xmlns" || name.starts_with("xmlns:")) continue;
        Attribute attribute;
        resolve(name, true, attribute.namespaceUri, attribute.localName);
        attribute.value = std::move(value);
        attributes_.push_back(std::move(attribute));
    }
    OpenElement element;
    resolve(qualifiedName, false, element.namespaceUri, element.localName);
    element.qualifiedName.assign(qualifiedName);
    element.bindingCount = bindingCount;
    namespaceUri_ = element.namespaceUri;
    localName_ = element.localName;
    openElements_.push_back(std::move(element));
    pendingEnd_ = empty;
    return Event::StartElement;
}

XmlReader::Event XmlReader::endTag() {
    OpenElement& element = openElements_.back();
    namespaceUri_ = std::move(element.namespaceUri);
    localName_ = std::move(element.localName);
    bindings_.resize(element.bindingCount);
    openElements_.pop_back();
    attributes_.clear();
    return Event::EndElement;
}

void XmlReader::resolve(std::string_view qualifiedName, bool isAttribute, std::string& uri,
                        std::string& local) const {
    const std::size_t colon = qualifiedName.find(':');
    const std::string_view prefix =
        colon == std::string_view::npos ? std::string_view() : qualifiedName.substr(0, colon);
    local.assign(colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1));
    uri.clear();
    if (prefix.empty() && isAttribute) return;  // unprefixed attributes have no namespace
    for (auto binding = bindings_.rbegin(); binding != bindings_.rend(); ++binding) {
        if (binding->first == prefix) {
            uri = binding->second;
            return;
        }
    }
}

const std::string* XmlReader::attribute(std::string_view namespaceUri, std::string_view localName) const {
    for (const Attribute& attribute : attributes_) {
        if (attribute.localName == localName && attribute.namespaceUri == namespaceUri)
            return &attribute.value;
    }
    return nullptr;
}

std::string XmlReader::decode(std::string_view raw) const {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            out.push_back(raw[i]);
            continue;
        }
        const std::size_t semicolon = raw.find(';', i);
        if (semicolon == std::string_view::npos || semicolon - i > 12) {
            out.push_back('&');
            continue;
        }
        const std::string_view entity = raw.substr(i + 1, semicolon - i - 1);
        if (entity == "lt") {
            out.push_back('<');
        } else if (entity == "gt") {
            out.push_back('>');
        } else if (entity == "amp") {
            out.push_back('&');
        } else if (entity == "quot") {
            out.push_back('"');
        } else if (entity == "apos") {
            out.push_back('\'');
        } else if (entity.starts_with('#') && entity.size() > 1) {
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            char32_t value = 0;
            bool valid = entity.size() > (hex ? 2u : 1u);
            for (std::size_t k = hex ? 2 : 1; k < entity.size() && valid; ++k) {
                const char c = entity[k];
                int digit = -1;
                if (c >= '0' && c <= '9') digit = c - '0';
                if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
                if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
                if (digit < 0 || value > 0x10FFFF) valid = false;
                value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
            }
            if (!valid || value > 0x10FFFF) value = U'\uFFFD';
            core::appendUtf8(out, value);
        } else {
            out.append(raw.substr(i, semicolon - i + 1));  // unknown entity: kept as written
        }
        i = semicolon;
    }
    if (!core::isValidUtf8(out)) out = core::utf32ToUtf8(core::utf8ToUtf32(out));
    return out;
}

}  // namespace quill::document
