#include "lib/Z5EasyXMLUnit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

void Load(TZ5EasyXMLReader& reader, const std::string& text, const std::string& name = "test.xml") {
    reader.LoadFromMemory(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), name);
}

const char* const Stage = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE stage [ <!ENTITY four "4"> ]>
<stage>
  <water_radius>&four;</water_radius>
  <split>12<!-- a comment -->3</split>
  <nested>a<b>b<c>c</c></b><?pi ignored?>d</nested>
  <twice>1</twice>
  <twice>2</twice>
  <inner><water_radius>9</water_radius></inner>
</stage>
)";

} // namespace

TEST(EasyXML, CursorStartsOnTheDocumentNodeAndEntersByExactName) {
    TZ5EasyXMLReader reader;
    EXPECT_FALSE(reader.IsValid());
    Load(reader, Stage);
    EXPECT_TRUE(reader.IsValid());
    const TXmlValue documentText = reader.GetValue("");
    EXPECT_FALSE(documentText.IsEmpty());
    EXPECT_EQ(documentText.Text(), "") << "the document node's text content is empty";

    reader.Enter("Stage");
    EXPECT_FALSE(reader.IsValid()) << "names are case-sensitive";
    EXPECT_TRUE(reader.GetValue("water_radius").IsEmpty());
    EXPECT_EQ(reader.GetValue("water_radius").ToInteger(), 0);
    reader.Enter("stage"); // on an invalid cursor: stays invalid, one Leave restores it
    EXPECT_FALSE(reader.IsValid());
    reader.Leave();
    EXPECT_FALSE(reader.IsValid());
    reader.Leave();
    EXPECT_TRUE(reader.IsValid());
    reader.Leave(); // empty stack: the cursor stays
    EXPECT_TRUE(reader.IsValid());

    reader.Enter("stage");
    EXPECT_EQ(reader.GetValue("water_radius").ToInteger(), 4) << "direct children only, entities resolved";
    EXPECT_EQ(reader.GetValue("twice").Text(), "1");
    EXPECT_TRUE(reader.GetValue("missing").IsEmpty());
}

TEST(EasyXML, PrefixedNamesMatchOnlyAsWritten) {
    TZ5EasyXMLReader reader;
    Load(reader, R"(<stage xmlns:q="urn:q"><q:water_radius>5</q:water_radius><p:a>6</p:a></stage>)");
    reader.Enter("stage");
    EXPECT_TRUE(reader.GetValue("water_radius").IsEmpty()) << "the local name alone is another name";
    EXPECT_EQ(reader.GetValue("q:water_radius").ToInteger(), 5);
    EXPECT_EQ(reader.GetValue("p:a").ToInteger(), 6) << "an undeclared prefix is part of the name too";
    EXPECT_TRUE(reader.GetValue("a").IsEmpty());
}

TEST(EasyXML, TextContentSkipsCommentsAndJoinsNestedText) {
    TZ5EasyXMLReader reader;
    Load(reader, Stage);
    reader.Enter("stage");
    EXPECT_EQ(reader.GetValue("split").Text(), "123");
    EXPECT_EQ(reader.GetValue("split").ToInteger(), 123);
    EXPECT_EQ(reader.GetValue("nested").Text(), "abcd");
    reader.Enter("inner");
    EXPECT_EQ(reader.GetValue("").Text(), "9");
}

TEST(EasyXML, ConversionsAcceptDecimalNumbersOnly) {
    EXPECT_EQ(TXmlValue(" 42\n").ToInteger(), 42);
    EXPECT_EQ(TXmlValue("-7").ToInteger(), -7);
    EXPECT_EQ(TXmlValue("+7").ToInteger(), 7);
    EXPECT_DOUBLE_EQ(TXmlValue("0.98").ToReal(), 0.98);
    EXPECT_DOUBLE_EQ(TXmlValue("5e-1").ToReal(), 0.5);
    EXPECT_DOUBLE_EQ(TXmlValue("3").ToReal(), 3.0);
    EXPECT_EQ(TXmlValue().ToReal(), 0.0);
    for (const char* bad : {"", "abc", "1.5", "12x", "99999999999", "0x10", "- 1", "+-1"})
        EXPECT_THROW(TXmlValue(bad).ToInteger(), EConvertError) << bad;
    for (const char* bad : {"", "1,5", "inf", "nan", "0x1p3", "1.2.3", "e5"})
        EXPECT_THROW(TXmlValue(bad).ToReal(), EConvertError) << bad;
    try {
        TXmlValue("abc").ToInteger();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid integer value");
    }
}

TEST(EasyXML, EntityExpansionIsBoundedAndErrorsQuoteLittleOfAValue) {
    // A 1 KiB entity used `uses` times: a small document whose text is `uses` KiB.
    const auto document = [](int uses) {
        std::string text = "<!DOCTYPE stage [<!ENTITY k \"" + std::string(1024, '7') + "\">]><stage><v>";
        for (int i = 0; i < uses; ++i)
            text += "&k;";
        return text + "</v></stage>";
    };
    TZ5EasyXMLReader reader;
    Load(reader, document(1000));
    reader.Enter("stage");
    EXPECT_EQ(reader.GetValue("v").Text().size(), 1000u * 1024u) << "within the limit, text is whole";
    try {
        reader.GetValue("v").ToInteger();
        ADD_FAILURE() << "a 1 MB number converts";
    } catch (const EConvertError& error) {
        EXPECT_LT(std::string(error.what()).size(), 100u) << "the message quotes only the value's start";
    }

    const auto tooLong = static_cast<int>(MaxXmlTextBytes / 1024) + 1;
    try {
        Load(reader, document(tooLong), "bomb.xml");
        ADD_FAILURE() << "a document expanding beyond the limit loads";
    } catch (const EXmlParseError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("bomb.xml: ", 0), 0u) << error.what();
    }
}

TEST(EasyXML, MalformedDocumentNamesFileAndLineAndKeepsThePreviousOne) {
    TZ5EasyXMLReader reader;
    Load(reader, "<stage><water_radius>4</water_radius></stage>");
    reader.Enter("stage");
    try {
        Load(reader, "<stage>\n<water_radius>5</water_radius>\n<open>\n</stage>", "broken.xml");
        FAIL() << "a malformed document must raise";
    } catch (const EXmlParseError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("broken.xml(4): ", 0), 0u) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << "one line";
    }
    EXPECT_EQ(reader.GetValue("water_radius").ToInteger(), 4) << "document, cursor and stack unchanged";
    reader.Leave();
    reader.Enter("stage");
    EXPECT_TRUE(reader.IsValid());
    EXPECT_THROW(Load(reader, ""), EXmlParseError);
}

TEST(EasyXML, LoadsFilesAndNamesAMissingOne) {
    const std::string name = testing::TempDir() + "easyxml_test.xml";
    {
        std::ofstream file(name, std::ios::binary);
        file << "<stage><water_gravity>0.25</water_gravity></stage>";
    }
    TZ5EasyXMLReader reader;
    reader.LoadFromFile(name);
    reader.Enter("stage");
    EXPECT_EQ(reader.GetValue("water_gravity").ToReal(), 0.25);
    std::filesystem::remove(name);
    try {
        reader.LoadFromFile(name);
        FAIL() << "a missing file must raise";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find(name), std::string::npos);
    }
    EXPECT_EQ(reader.GetValue("water_gravity").ToReal(), 0.25) << "state unchanged";
}

TEST(EasyXML, NeverReadsExternalEntities) {
    const std::string secret = testing::TempDir() + "easyxml_secret.txt";
    {
        std::ofstream file(secret);
        file << "SECRET";
    }
    TZ5EasyXMLReader reader;
    Load(reader,
         "<!DOCTYPE stage [ <!ENTITY x SYSTEM \"file://" + secret + "\"> ]><stage><v>&x;</v></stage>");
    reader.Enter("stage");
    EXPECT_EQ(reader.GetValue("v").Text().find("SECRET"), std::string::npos);
    std::filesystem::remove(secret);
}
