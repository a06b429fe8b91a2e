#pragma once
// A small convenience layer over the XML parser: load one document, keep a
// cursor on one node, step into a named child element and back out, and read
// the text of a named child element. Network access and external entities are
// never used by the parser, and a document whose text would expand beyond a
// limit (an entity used many times) is refused at load.

#include "platform/Exception.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

// A document we read is a few hundred bytes; these limits are generous and
// keep a hostile one from costing unbounded time or memory.
inline constexpr std::uint64_t MaxXmlFileBytes = 4 * 1024 * 1024; // bytes of the file
inline constexpr std::uint64_t MaxXmlTextBytes = 4 * 1024 * 1024; // bytes of text, entities expanded

// A malformed or oversized document; the message names the file (and the line).
class EXmlParseError : public Exception {
public:
    using Exception::Exception;
};

// A text value that is not the number asked for.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Either empty (no such element) or the element text, UTF-8.
class TXmlValue {
public:
    TXmlValue() = default;
    explicit TXmlValue(std::string text) : Text_(std::move(text)) {}

    bool IsEmpty() const { return !Text_.has_value(); }
    const std::string& Text() const;

    // Empty gives 0. A text converts when it is a decimal integer (a real: a
    // decimal number with a full stop, exponent allowed), optionally surrounded
    // by blanks; anything else raises EConvertError.
    std::int32_t ToInteger() const;
    double ToReal() const;

private:
    std::optional<std::string> Text_;
};

class TZ5EasyXMLCustomParser {
public:
    TZ5EasyXMLCustomParser();
    virtual ~TZ5EasyXMLCustomParser();
    TZ5EasyXMLCustomParser(const TZ5EasyXMLCustomParser&) = delete;
    TZ5EasyXMLCustomParser& operator=(const TZ5EasyXMLCustomParser&) = delete;

    // Reads the whole file and parses it. A file that cannot be opened, is not
    // a regular file or is longer than MaxXmlFileBytes raises an Exception
    // naming it; the reader's state is unchanged then.
    void LoadFromFile(const std::string& fileName);
    // Parses bytes; `sourceName` names them in error messages. On success the
    // cursor is the document node and the stack is empty; on failure (also a
    // text longer than MaxXmlTextBytes once entities are expanded)
    // EXmlParseError is raised and document, cursor and stack stay as they were.
    void LoadFromMemory(const std::uint8_t* data, std::size_t size, const std::string& sourceName);

    // Pushes the cursor (also an invalid one), then moves it to the first child
    // element with that exact name, or makes it invalid. The name is compared
    // whole, as written: "q:a" finds <q:a>, "a" does not.
    void Enter(const std::string& name);
    // Pops the cursor saved by the matching Enter; nothing on an empty stack.
    void Leave();
    bool IsValid() const { return Current != nullptr; }
    // Empty name: the text content of the cursor. Otherwise the text content of
    // the first child element with that name, or empty.
    TXmlValue GetValue(const std::string& name) const;

private:
    struct DocumentDeleter {
        void operator()(_xmlDoc* document) const;
    };

    _xmlNode* FindChildElement(const std::string& name) const;

    std::unique_ptr<_xmlDoc, DocumentDeleter> Document;
    _xmlNode* Current = nullptr;      // borrowed from Document
    std::vector<_xmlNode*> NodeStack; // borrowed from Document; null allowed
};

class TZ5EasyXMLReader : public TZ5EasyXMLCustomParser {};
