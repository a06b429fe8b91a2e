#include "lib/Z5EasyXMLUnit.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// Entities defined inside the document are resolved in text content; nothing
// is ever fetched from the network or from files outside the document.
constexpr int ParseOptions = XML_PARSE_NONET;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// from_chars takes no leading '+'.
std::string_view SkipPlus(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    return text;
}

bool IsDecimalReal(std::string_view text) {
    // from_chars also reads "inf", "nan" and hexadecimal forms: none is a decimal number.
    return text.find_first_not_of("0123456789+-.eE") == std::string_view::npos;
}

template <typename T> bool ParseWhole(std::string_view text, T& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end;
}

[[noreturn]] void RaiseConvertError(const std::string& text, const char* what) {
    throw EConvertError("'" + text + "' is not a valid " + what + " value");
}

// The first error the parser reports while parsing one document.
struct ParseErrorCatcher {
    std::string Message;
    int Line = 0;
    bool Caught = false;

    static void Handle(void* userData, xmlErrorPtr error) {
        auto* catcher = static_cast<ParseErrorCatcher*>(userData);
        if (catcher->Caught || error == nullptr)
            return;
        catcher->Caught = true;
        catcher->Message = error->message ? error->message : "malformed document";
        while (!catcher->Message.empty() && IsBlank(catcher->Message.back()))
            catcher->Message.pop_back();
        catcher->Line = error->line;
    }
};

struct ParserContextDeleter {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

std::string XmlText(const xmlChar* text) {
    return text ? reinterpret_cast<const char*>(text) : "";
}

// Text content by the DOM rules: an element's text is that of all its
// children except comments and processing instructions, the document node's
// is empty. (The library's own node content would give the document's text.)
std::string TextContent(xmlNode* node) {
    if (node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE)
        return {};
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = XmlText(content);
    xmlFree(content);
    return text;
}

} // namespace

const std::string& TXmlValue::Text() const {
    static const std::string Empty;
    return Text_ ? *Text_ : Empty;
}

std::int32_t TXmlValue::ToInteger() const {
    if (!Text_)
        return 0;
    std::int32_t value = 0;
    if (!ParseWhole(SkipPlus(TrimBlanks(*Text_)), value))
        RaiseConvertError(*Text_, "integer");
    return value;
}

double TXmlValue::ToReal() const {
    if (!Text_)
        return 0.0;
    const std::string_view number = SkipPlus(TrimBlanks(*Text_));
    double value = 0.0;
    if (!IsDecimalReal(number) || !ParseWhole(number, value))
        RaiseConvertError(*Text_, "floating point");
    return value;
}

void TZ5EasyXMLCustomParser::DocumentDeleter::operator()(_xmlDoc* document) const {
    xmlFreeDoc(document);
}

TZ5EasyXMLCustomParser::TZ5EasyXMLCustomParser(){LIBXML_TEST_VERSION}

TZ5EasyXMLCustomParser::~TZ5EasyXMLCustomParser() = default;

void TZ5EasyXMLCustomParser::LoadFromFile(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw Exception("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                          std::istreambuf_iterator<char>()};
    if (file.bad())
        throw Exception("Cannot read file \"" + fileName + "\".");
    LoadFromMemory(bytes.data(), bytes.size(), fileName);
}

void TZ5EasyXMLCustomParser::LoadFromMemory(const std::uint8_t* data, std::size_t size,
                                            const std::string& sourceName) {
    if (size > static_cast<std::size_t>(INT32_MAX))
        throw EXmlParseError(sourceName + ": the document is too large");
    std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(xmlNewParserCtxt());
    if (!context)
        throw EXmlParseError(sourceName + ": out of memory for the XML parser");
    ParseErrorCatcher catcher;
    // The parser reports to this handler instead of standard error.
    xmlSetStructuredErrorFunc(&catcher, ParseErrorCatcher::Handle);
    xmlDoc* parsed = xmlCtxtReadMemory(context.get(), reinterpret_cast<const char*>(data),
                                       static_cast<int>(size), sourceName.c_str(), nullptr, ParseOptions);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    std::unique_ptr<_xmlDoc, DocumentDeleter> document(parsed);
    if (!document || !context->wellFormed) {
        const std::string message = catcher.Caught ? catcher.Message : "malformed document";
        throw EXmlParseError(sourceName + "(" + std::to_string(catcher.Line) + "): " + message);
    }
    Document = std::move(document); // releases the previous document only now
    Current = reinterpret_cast<xmlNode*>(Document.get());
    NodeStack.clear();
}

xmlNode* TZ5EasyXMLCustomParser::FindChildElement(const std::string& name) const {
    for (xmlNode* child = Current->children; child != nullptr; child = child->next)
        if (child->type == XML_ELEMENT_NODE && XmlText(child->name) == name)
            return child;
    return nullptr;
}

void TZ5EasyXMLCustomParser::Enter(const std::string& name) {
    NodeStack.push_back(Current);
    Current = Current ? FindChildElement(name) : nullptr;
}

void TZ5EasyXMLCustomParser::Leave() {
    if (NodeStack.empty())
        return;
    Current = NodeStack.back();
    NodeStack.pop_back();
}

TXmlValue TZ5EasyXMLCustomParser::GetValue(const std::string& name) const {
    if (!Current)
        return {};
    if (name.empty())
        return TXmlValue(TextContent(Current));
    xmlNode* child = FindChildElement(name);
    return child ? TXmlValue(TextContent(child)) : TXmlValue();
}
