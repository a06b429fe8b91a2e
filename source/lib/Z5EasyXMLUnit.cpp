#include "lib/Z5EasyXMLUnit.h"

#include "lib/Z5UtilsUnit.h"
#include "platform/CheckedFile.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <charconv>
#include <unordered_map>

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

// Error messages quote at most this much of a text they complain about.
constexpr std::size_t MaxQuotedBytes = 64;

// The start of `text`, cut at a UTF-8 character boundary, with "..." when cut.
std::string Abbreviate(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return std::string(text);
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut; // never split a character
    return std::string(text.substr(0, cut)) + "...";
}

[[noreturn]] void RaiseConvertError(const std::string& text, const char* what) {
    throw EConvertError("'" + EscapeControls(Abbreviate(text, MaxQuotedBytes)) + "' is not a valid " + what +
                        " value");
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
        // The parser's messages quote names from the document: keep them short.
        catcher->Message = EscapeControls(Abbreviate(
            TrimBlanks(error->message ? error->message : "malformed document"), 4 * MaxQuotedBytes));
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

// The length of the text content of a node (as TextContent builds it, with
// entity references expanded), measured without building it. Each entity is
// measured once, so entities nested inside entities cost no more than their
// declarations; sums saturate just above the limit.
class ExpansionMeter {
public:
    explicit ExpansionMeter(std::uint64_t limit) : Limit(limit) {}

    std::uint64_t Measure(const xmlNode* node) {
        switch (node->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE: return Bounded(static_cast<std::uint64_t>(xmlStrlen(node->content)));
        case XML_ENTITY_REF_NODE: return MeasureEntity(xmlGetDocEntity(node->doc, node->name));
        case XML_ELEMENT_NODE:
        case XML_DOCUMENT_FRAG_NODE: return MeasureSiblings(node->children);
        default: // comments, processing instructions, attributes: not part of the text
            return 0;
        }
    }

private:
    std::uint64_t Bounded(std::uint64_t length) const { return std::min(length, Limit + 1); }

    std::uint64_t MeasureSiblings(const xmlNode* first) {
        std::uint64_t length = 0;
        for (const xmlNode* node = first; node != nullptr && length <= Limit; node = node->next)
            length = Bounded(length + Measure(node));
        return length;
    }

    std::uint64_t MeasureEntity(xmlEntity* entity) {
        if (entity == nullptr)
            return 0;
        const auto [known, added] = Entities.try_emplace(entity, Limit + 1); // a loop counts as too long
        if (added)
            known->second = MeasureSiblings(entity->children);
        return known->second;
    }

    std::uint64_t Limit;
    std::unordered_map<const xmlEntity*, std::uint64_t> Entities;
};

// Refuses a document whose text, entities expanded, exceeds MaxXmlTextBytes:
// a few hundred bytes of entity declarations can otherwise stand for gigabytes.
void CheckExpandedText(xmlDoc* document, const std::string& sourceName) {
    const xmlNode* root = xmlDocGetRootElement(document);
    if (root != nullptr && ExpansionMeter(MaxXmlTextBytes).Measure(root) > MaxXmlTextBytes)
        throw EXmlParseError(sourceName + ": the document's text expands to more than " +
                             std::to_string(MaxXmlTextBytes) + " bytes");
}

// An element's name as written in the document, with its namespace prefix.
std::string QualifiedName(const xmlNode* element) {
    const std::string local = XmlText(element->name);
    if (element->ns == nullptr || element->ns->prefix == nullptr)
        return local;
    return XmlText(element->ns->prefix) + ":" + local;
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
    const std::string bytes = platform::ReadCheckedFile(fileName, MaxXmlFileBytes);
    LoadFromMemory(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), fileName);
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
    CheckExpandedText(document.get(), sourceName);
    Document = std::move(document); // releases the previous document only now
    Current = reinterpret_cast<xmlNode*>(Document.get());
    NodeStack.clear();
}

xmlNode* TZ5EasyXMLCustomParser::FindChildElement(const std::string& name) const {
    for (xmlNode* child = Current->children; child != nullptr; child = child->next)
        if (child->type == XML_ELEMENT_NODE && QualifiedName(child) == name)
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
