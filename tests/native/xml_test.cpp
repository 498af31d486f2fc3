#include "framework/xml/Xml.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel {
namespace {

// Every field of a subtree, length-prefixed so that different trees never
// describe alike.
std::string Describe(const CXmlElement& element) {
    auto field = [](std::string_view text) { return std::to_string(text.size()) + ":" + std::string(text); };
    std::string out = "(" + field(element.Name()) + field(element.Value());
    for (int i = 0; i < element.GetAttributeCount(); ++i) {
        out += "@" + field(element.GetAttributeAt(i)->Name()) + field(element.GetAttributeAt(i)->Value());
    }
    for (int i = 0; i < element.GetChildCount(); ++i) out += Describe(*element.GetChild(i));
    return out + ")";
}

class XmlTest : public testing::Test {
protected:
    // Parses with fresh options, so that each case sees its own first error.
    const char* Parse(const char* text) { return root.Parse(text, options); }

    CXmlOptions options;
    CXmlElement root;
};

const char kDrives[] =
    "<Drives StartAt='0' UpTo='2' Total='2'>"
    "<D DriveName='QwA6AFwA' Type='3' Size='512105984000' Free='1024' FileSystem='TgBUAEYAUwA='/>"
    "<D DriveName='RAA6AFwA' Type='5' Size='0' Free='0' FileSystem=''/>"
    "</Drives>";

TEST_F(XmlTest, ReadsBothAttributeSpellingsAndTheFirstOfDuplicates) {
    for (const char* text : {"<a x='1' y=\"2\"/>", "<a x=1 y=2></a>", "<a x = '1'  y= 2 />"}) {
        ASSERT_NE(Parse(text), nullptr) << text;
        EXPECT_EQ(root.GetAttributeCount(), 2) << text;
        EXPECT_STREQ(root.GetAttribute("x"), "1") << text;
        EXPECT_STREQ(root.GetAttribute("y"), "2") << text;
    }
    ASSERT_NE(Parse("<a k='first' K='other' k='second' flag v='\"'/>"), nullptr);
    EXPECT_STREQ(root.GetAttribute("k"), "first");
    EXPECT_STREQ(root.GetAttribute("K"), "other");
    EXPECT_STREQ(root.GetAttribute("flag"), "");
    EXPECT_STREQ(root.GetAttribute("v"), "\"");
    EXPECT_EQ(root.GetAttribute("missing"), nullptr);
    EXPECT_EQ(root.GetAttribute(nullptr), nullptr);
    EXPECT_EQ(root.GetAttributeInt("missing"), 0);
}

TEST_F(XmlTest, TrimsAndDecodesValuesInOneScan) {
    ASSERT_NE(Parse("<a x=' padded\t'>  hello  </a>"), nullptr);
    EXPECT_EQ(root.Value(), "hello");
    EXPECT_STREQ(root.GetAttribute("x"), "padded");
    ASSERT_NE(Parse("<a v='&amp;lt; &quot;&apos; &bogus; &'>&lt;b&gt;</a>"), nullptr);
    EXPECT_EQ(root.Value(), "<b>");
    EXPECT_STREQ(root.GetAttribute("v"), "&lt; \"' &bogus; &");
    EXPECT_EQ(XmlDecode(kXmlEntities, "&amp;amp;&gt"), "&amp;&gt");
    EXPECT_EQ(XmlEncode(kXmlEntities, "<b> & 'q' \"d\""), "&lt;b&gt; &amp; &apos;q&apos; &quot;d&quot;");

    options.trim = 0;
    options.useEntities = 0;
    ASSERT_NE(Parse("<a x=' 1 '> &lt; </a>"), nullptr);
    EXPECT_EQ(root.Value(), " &lt; ");
    EXPECT_STREQ(root.GetAttribute("x"), " 1 ");
}

// A table of the caller's own: its entities need not share a first
// character, and entries without a text are neither written nor read.
TEST_F(XmlTest, EntitiesOfATableOfItsOwn) {
    const XmlEntity table[5] = {{'&', "&amp;"}, {'"', nullptr}, {'\'', nullptr}, {'<', "{lt}"}, {'>', "[gt]"}};
    EXPECT_EQ(XmlEncode(table, "a<b>'c'&\""), "a{lt}b[gt]'c'&amp;\"");
    EXPECT_EQ(XmlDecode(table, "{lt}[gt]&amp;&quot;{gt}&apos;"), "<>&&quot;{gt}&apos;");

    options.entities = table;
    ASSERT_NE(Parse("<a v='{lt}x[gt]' w=\"&quot;\">1 {lt} 2</a>"), nullptr);
    EXPECT_STREQ(root.GetAttribute("v"), "<x>");
    EXPECT_STREQ(root.GetAttribute("w"), "&quot;");
    EXPECT_EQ(root.Value(), "1 < 2");
    EXPECT_EQ(root.ToText(options), "<a v='{lt}x[gt]' w='&amp;quot;' >1 {lt} 2</a>");
}

TEST_F(XmlTest, EscapeCharacterMakesDelimitersLiteral) {
    options.escapeCharacter = '\\';
    ASSERT_NE(Parse("<a x=one\\ two y='it\\'s' z=\\\\>1\\<2</a>"), nullptr);
    EXPECT_STREQ(root.GetAttribute("x"), "one two");
    EXPECT_STREQ(root.GetAttribute("y"), "it's");
    EXPECT_STREQ(root.GetAttribute("z"), "\\");
    EXPECT_EQ(root.Value(), "1<2");
}

TEST_F(XmlTest, TakesTextBeforeOrAfterChildrenAndDropsNamelessOnes) {
    ASSERT_NE(Parse("<a> x <b/> y </a>"), nullptr);
    EXPECT_EQ(root.Value(), "x");
    ASSERT_NE(Parse("<a> <b/> tail <c>in</c></a>"), nullptr);
    EXPECT_EQ(root.Value(), "tail");
    EXPECT_EQ(root.GetChild(1)->Value(), "in");
    EXPECT_EQ(root.GetChild(1)->Parent(), &root);
    ASSERT_NE(Parse("<a><><z/></><b/></a>"), nullptr);
    ASSERT_EQ(root.GetChildCount(), 1);
    EXPECT_EQ(root.GetChild(0)->Name(), "b");
    EXPECT_EQ(root.GetChild(1), nullptr);
    EXPECT_EQ(root.GetChild(-1), nullptr);
}

// Each error at the exact character the parser stopped at: the end of the
// text for an element left open, the name of a bad closing tag or attribute,
// the character after a lone "/".
TEST_F(XmlTest, ReportsTheDocumentedErrorsWhereTheyAre) {
    struct Case {
        const char* text;
        int code;
        const char* message;
        size_t position;
    } cases[] = {
        {"<a><b></c></a>", 3, "'<b> ... </c>' is not well-formed.", 9},
        {"<a>", 2, "a must be closed with </a>", 3},
        {"<a><b/>tail", 2, "it must be closed with </a>", 11},
        {"<a>x<b/>", 2, "it must be closed with </a>", 8},
        {"<a>x<b/>y", 2, "it must be closed with </a>", 9},
        {"<a><b>t", 2, "b must be closed with </b>", 7},
        {"<a></a", 2, "it must be closed with </a>", 5},
        {"<a></a x>", 2, "it must be closed with </a>", 7},
        {"<a/ x>", 1, "Element must be closed.", 3},
        {"<abc", 1, "Element must be closed.", 4},
        {"<a><b", 1, "Element must be closed.", 5},
        {"<a x='1>", 4, "<a> attribute has error ", 3},
        {"<a y=2 x", 4, "<a> attribute has error ", 7},
        {"<a><b x=1 y=\"2></b></a>", 4, "<b> attribute has error ", 10},
    };
    for (const Case& c : cases) {
        options.error = {};
        EXPECT_EQ(Parse(c.text), nullptr) << c.text;
        EXPECT_TRUE(options.error.failed) << c.text;
        EXPECT_EQ(options.error.code, c.code) << c.text;
        EXPECT_EQ(options.error.message, c.message) << c.text;
        EXPECT_EQ(options.error.position - c.text, static_cast<std::ptrdiff_t>(c.position)) << c.text;
    }
}

TEST_F(XmlTest, KeepsTheFirstErrorAndWhatWasParsed) {
    const char* text = "<r n='1'><b/><c></d></r>";
    EXPECT_EQ(Parse(text), nullptr);
    EXPECT_EQ(options.error.code, 3);
    EXPECT_EQ(options.error.position, std::strstr(text, "</d>") + 3);
    EXPECT_EQ(Describe(root), "(1:r0:@1:n1:1(1:b0:)(1:c0:))");
    EXPECT_EQ(Parse("<a>"), nullptr);
    EXPECT_EQ(options.error.code, 3);
}

TEST_F(XmlTest, TextWithoutANamedElementFailsWithoutAnError) {
    for (const char* text : {"", "   ", "no markup", "</x>", "<></>", "<>text</>"}) {
        EXPECT_EQ(Parse(text), nullptr) << text;
        EXPECT_EQ(root.Name(), "") << text;
        EXPECT_EQ(root.GetChildCount(), 0) << text;
    }
    EXPECT_EQ(Parse(nullptr), nullptr);
    EXPECT_FALSE(options.error.failed);
}

TEST_F(XmlTest, ReturnsThePositionAfterTheElement) {
    const char* text = " <a><b/></a> <next/>";
    EXPECT_EQ(Parse(text), std::strstr(text, " <next/>"));
    const char* leaf = "<a/>";
    EXPECT_EQ(Parse(leaf), leaf + 4);
}

TEST(XmlWriterTest, WritesTheCompactForm) {
    CXmlElement drives("Drives");
    drives.AddAttribute("StartAt", "-1");
    EXPECT_EQ(drives.ToText(), "<Drives StartAt='-1' />");
    CXmlElement a("A");
    a.AddChild("B");
    a.AddChild("C");
    EXPECT_EQ(a.ToText(), "<A><B/><C/></A>");
    CXmlElement v("V", "x<y & 'z'");
    v.AddAttribute("q", "\"");
    v.AddChild("K", "1");
    EXPECT_EQ(v.ToText(), "<V q='&quot;' ><K>1</K>x&lt;y &amp; &apos;z&apos;</V>");
    CXmlOptions plain;
    plain.useEntities = 0;
    EXPECT_EQ(CXmlElement("E", "<").ToText(plain), "<E><</E>");
}

TEST_F(XmlTest, WrittenTreesParseBackTheSame) {
    CXmlElement built("Services", "");
    built.AddAttribute("StartAt", "0");
    built.AddAttribute("Odd", "a'b\"c<d>e&amp;f");
    CXmlElement* service = built.AddChild("S", "text with < and >");
    service->AddAttribute("Name", "UwBwAG8AbwBsAGUAcgA=");
    service->AddAttribute("Empty", "");
    service->AddChild("Deep")->AddChild("Deeper", "&lt;");
    built.AddChild("123");
    ASSERT_NE(Parse(built.ToText().c_str()), nullptr);
    EXPECT_EQ(Describe(root), Describe(built));

    ASSERT_NE(Parse(kDrives), nullptr);
    CXmlElement again;
    ASSERT_NE(again.Parse(root.ToText().c_str(), options), nullptr);
    EXPECT_EQ(Describe(again), Describe(root));
    EXPECT_EQ(root.GetChildCount(), 2);
}

// Parsed nodes live in the parse root's storage, added ones in their parent's:
// editing, reparsing a child and clearing must neither leak nor dangle (ASan).
TEST_F(XmlTest, ParsedTreesCanBeEditedReparsedAndCleared) {
    ASSERT_NE(Parse(kDrives), nullptr);
    CXmlElement* drive = root.GetChild(0);
    CXmlAttribute* added = drive->AddAttribute("Added", "1");
    for (int i = 0; i < 10; ++i) drive->AddAttribute("More", std::to_string(i));
    EXPECT_EQ(added->Value(), "1");
    EXPECT_EQ(added->Owner(), drive);
    EXPECT_STREQ(drive->GetAttribute("DriveName"), "QwA6AFwA");
    drive->AddChild("Note", "n")->AddAttribute("k", "v");

    CXmlElement* other = root.GetChild(1);
    ASSERT_NE(other->Parse("<Z q='1'><Y/></Z>", options), nullptr);
    EXPECT_EQ(other->Parent(), &root);
    EXPECT_EQ(Describe(*other), "(1:Z0:@1:q1:1(1:Y0:))");
    other->AddChild("W");
    EXPECT_EQ(root.ToText(), "<Drives StartAt='0' UpTo='2' Total='2' ><D DriveName='QwA6AFwA' Type='3' "
                             "Size='512105984000' Free='1024' FileSystem='TgBUAEYAUwA=' Added='1' More='0' "
                             "More='1' More='2' More='3' More='4' More='5' More='6' More='7' More='8' More='9' >"
                             "<Note k='v' >n</Note></D><Z q='1' ><Y/><W/></Z></Drives>");
    drive->Clear();
    EXPECT_EQ(drive->GetAttributeCount(), 0);
    root.Clear();
    EXPECT_EQ(root.GetChildCount(), 0);
    root.AddChild("Again");
    EXPECT_EQ(root.ToText(), "<><Again/></>");
}

// The tree keeps its own copy of what it refers to; attribute values end with
// a zero whichever way they were written or decoded.
TEST_F(XmlTest, ParsedTreesOutliveTheirTextAndTerminateAttributeValues) {
    const std::string body = "<a x='1' y=two z=' pad ' e='&lt;&amp;' u=end>t<b k=v /><c q=\"&quot;\" flag/></a>";
    const char* expected =
        "(1:a1:t@1:x1:1@1:y3:two@1:z3:pad@1:e2:<&@1:u3:end(1:b0:@1:k1:v)(1:c0:@1:q1:\"@4:flag0:))";
    auto checkTerminated = [](const CXmlElement& element) {
        for (int i = 0; i < element.GetAttributeCount(); ++i) {
            const std::string_view value = element.GetAttributeAt(i)->Value();
            EXPECT_EQ(std::strlen(value.data()), value.size()) << value;
        }
    };
    // Followed by little, the whole rest is kept; followed by much, only the element.
    for (const std::string& tail : {std::string(" <next/>"), " " + std::string(20000, 'x')}) {
        auto text = std::make_unique<std::string>(body + tail);  // freed before the tree is read (ASan)
        ASSERT_EQ(Parse(text->c_str()), text->c_str() + body.size());
        text.reset();
        EXPECT_EQ(Describe(root), expected);
        checkTerminated(root);
        for (int i = 0; i < root.GetChildCount(); ++i) checkTerminated(*root.GetChild(i));
        EXPECT_STREQ(root.GetAttribute("u"), "end");
    }
    options.escapeCharacter = '\\';
    auto escaped = std::make_unique<std::string>("<a v='it\\'s' w=x\\ y />");
    ASSERT_NE(Parse(escaped->c_str()), nullptr);
    escaped.reset();
    EXPECT_STREQ(root.GetAttribute("v"), "it's");
    EXPECT_STREQ(root.GetAttribute("w"), "x y");
}

// Storage made deep inside a parsed or built tree is released with it (LSan).
TEST_F(XmlTest, EditsDeepInsideATreeAreReleasedWithIt) {
    const std::string longText(100, 'v');
    ASSERT_NE(Parse("<a><b><c/></b><d/></a>"), nullptr);
    CXmlElement* c = root.GetChild(0)->GetChild(0);
    c->SetValue(longText);
    c->AddChild("e")->AddAttribute("k", longText);
    CXmlElement* d = root.GetChild(1);
    d->SetName(d->Name());
    d->SetName(d->Name());  // from its own storage
    d->SetValue("1");
    d->SetValue(d->Value().substr(0, 0));
    EXPECT_EQ(root.ToText(), "<a><b><c><e k='" + longText + "' />" + longText + "</c></b><d/></a>");

    CXmlElement built("r");
    CXmlElement* x = built.AddChild("x");
    for (int i = 0; i < 5; ++i) x->AddChild("y", longText);
    x->GetChild(4)->AddChild("z")->SetName(longText);
    EXPECT_EQ(x->GetChildCount(), 5);
    EXPECT_EQ(x->GetChild(4)->GetChild(0)->Name(), longText);
    EXPECT_EQ(x->GetChild(4)->GetChild(0)->Parent(), x->GetChild(4));
}

TEST_F(XmlTest, ReadsNumbersWithoutOverflow) {
    ASSERT_NE(Parse("<n a='42abc' b='-17' c='99999999999' d='-99999999999' e='x1' f='+7' "
                    "u='4294967295' v='4294967296' w='-1' y='18446744073709551616' z=''/>"),
              nullptr);
    EXPECT_EQ(root.GetAttributeInt("a"), 42);
    EXPECT_EQ(root.GetAttributeInt("b"), -17);
    EXPECT_EQ(root.GetAttributeInt("c"), INT32_MAX);
    EXPECT_EQ(root.GetAttributeInt("d"), INT32_MIN);
    EXPECT_EQ(root.GetAttributeInt("e"), 0);
    EXPECT_EQ(root.GetAttributeInt("f"), 7);

    uint32_t u32 = 5;
    EXPECT_TRUE(root.GetAttributeUInt32("u", &u32));
    EXPECT_EQ(u32, 0xFFFFFFFFu);
    u32 = 5;
    EXPECT_TRUE(root.GetAttributeUInt32("v", &u32));
    EXPECT_EQ(u32, 0xFFFFFFFFu);
    u32 = 5;
    for (const char* failing : {"w", "e", "z", "missing"}) EXPECT_FALSE(root.GetAttributeUInt32(failing, &u32));
    EXPECT_EQ(u32, 5u);
    uint64_t u64 = 0;
    EXPECT_TRUE(root.GetAttributeUInt64("c", &u64));
    EXPECT_EQ(u64, 99999999999u);
    EXPECT_TRUE(root.GetAttributeUInt64("y", &u64));
    EXPECT_EQ(u64, UINT64_MAX);
    EXPECT_FALSE(root.GetAttributeUInt64("w", &u64));

    // Either side of the largest value, where saturation begins.
    CXmlElement edges("e");
    edges.AddAttribute("below32", "4294967294");
    edges.AddAttribute("below64", "18446744073709551614");
    edges.AddAttribute("exact64", "18446744073709551615");
    edges.AddAttribute("above64", "18446744073709551620");
    EXPECT_TRUE(edges.GetAttributeUInt32("below32", &u32));
    EXPECT_EQ(u32, 0xFFFFFFFEu);
    EXPECT_TRUE(edges.GetAttributeUInt64("below64", &u64));
    EXPECT_EQ(u64, UINT64_MAX - 1);
    EXPECT_TRUE(edges.GetAttributeUInt64("exact64", &u64));
    EXPECT_EQ(u64, UINT64_MAX);
    EXPECT_TRUE(edges.GetAttributeUInt64("above64", &u64));
    EXPECT_EQ(u64, UINT64_MAX);
}

TEST_F(XmlTest, BoundsTheNestingDepth) {
    auto nested = [](int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += "<e>";
        for (int i = 0; i < depth; ++i) text += "</e>";
        return text;
    };
    EXPECT_NE(Parse(nested(2000).c_str()), nullptr);
    const std::string tooDeep = nested(100000);
    EXPECT_EQ(Parse(tooDeep.c_str()), nullptr);
    EXPECT_EQ(options.error.code, 5);
    EXPECT_EQ(options.error.message, "Elements are nested too deeply.");
    EXPECT_EQ(options.error.position - tooDeep.c_str(), 2000 * 3) << "at the first element too deep";
    int depth = 0;
    for (const CXmlElement* e = &root; e; e = e->GetChild(0)) ++depth;
    EXPECT_EQ(depth, 2000);
}

TEST_F(XmlTest, EveryTruncationOfABodyFailsCleanly) {
    const std::string body = kDrives;
    for (size_t length = 0; length < body.size(); ++length) {
        const std::string cut = body.substr(0, length);  // its own allocation, so ASan sees over-reads
        options.error = {};
        EXPECT_EQ(Parse(cut.c_str()), nullptr) << cut;
        if (options.error.failed) {
            EXPECT_GE(options.error.position, cut.c_str());
            EXPECT_LE(options.error.position, cut.c_str() + cut.size());
        }
    }
    EXPECT_NE(Parse(body.c_str()), nullptr);
}

TEST_F(XmlTest, HugeNamesAndValuesStayBounded) {
    const std::string name(1 << 20, 'n');
    const std::string text = "<" + name + " v='" + std::string(1 << 20, '9') + "'>";
    EXPECT_EQ(Parse(text.c_str()), nullptr);
    EXPECT_EQ(options.error.code, 2);
    EXPECT_LT(options.error.message.size(), 500u);
    EXPECT_EQ(root.GetAttributeInt("v"), INT32_MAX);
}

}  // namespace
}  // namespace vantrel
