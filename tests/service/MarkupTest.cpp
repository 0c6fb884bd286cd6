// The navigator's moves and readers, its order rules and its text decoding.

#include "service/MarkupMsxml.h"
#include "tests/service/ServiceDocuments.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

namespace {

class Navigator : public ::testing::Test {
protected:
    void Load(const std::string& document) { ASSERT_TRUE(markup.LoadDocument(document)) << markup.GetError(); }
    std::string ReadChild(const char* name) {
        if (!markup.FindChild(name)) return "<missing>";
        markup.EnterChild();
        std::string text = markup.GetText();
        markup.LeaveToParent();
        return text;
    }
    CMarkupMSXML markup;
};

TEST_F(Navigator, FindSiblingSkipsEverythingButElements) {
    Load("<?xml version=\"1.0\"?><!-- c --><?pi data?><Result>t<!-- c --><?p d?><a/>x<b/></Result>");
    ASSERT_TRUE(markup.FindSibling(nullptr));
    EXPECT_EQ(markup.GetName(), "Result");
    EXPECT_FALSE(markup.FindSibling(nullptr));
    EXPECT_EQ(markup.GetName(), "Result");  // a failed move changes nothing
    ASSERT_TRUE(markup.EnterChild());
    ASSERT_TRUE(markup.FindSibling(""));
    EXPECT_EQ(markup.GetName(), "a");
    ASSERT_TRUE(markup.FindSibling(nullptr));
    EXPECT_EQ(markup.GetName(), "b");
}

TEST_F(Navigator, NamesAreComparedExactly) {
    Load("<Result><item/><Item/></Result>");
    EXPECT_FALSE(markup.FindSibling("result"));
    ASSERT_TRUE(markup.FindSibling("Result"));
    ASSERT_TRUE(markup.FindChild("Item"));
    markup.EnterChild();
    EXPECT_EQ(markup.GetName(), "Item");
}

TEST_F(Navigator, ChineseNamesMatchTheirCodePageBytes) {
    Load(GbkDocument("<结果><歌曲>甲</歌曲></结果>"));
    ASSERT_TRUE(markup.FindSibling(Cp936("结果").c_str()));
    EXPECT_EQ(markup.GetName(), Cp936("结果"));
    EXPECT_EQ(ReadChild(Cp936("歌曲").c_str()), Cp936("甲"));
}

TEST_F(Navigator, FindChildWithoutACurrentElementStartsAtTheRoot) {
    Load("<Result><uid>7</uid></Result>");
    ASSERT_TRUE(markup.FindChild("uid"));
    EXPECT_EQ(markup.GetName(), "Result");
    markup.EnterChild();
    EXPECT_EQ(markup.GetText(), "7");
}

TEST_F(Navigator, ChildrenReadOneAfterAnotherMustComeInOrder) {
    Load("<Result><a>1</a><b>2</b><c>3</c></Result>");
    ASSERT_TRUE(markup.FindSibling("Result"));
    EXPECT_EQ(ReadChild("b"), "2");
    EXPECT_EQ(ReadChild("a"), "<missing>");  // searched after b
    EXPECT_EQ(ReadChild("c"), "3");          // continues after b, not after the failed search
    EXPECT_EQ(markup.GetName(), "Result");
}

TEST_F(Navigator, LeaveAndEnterRewindsTheChildren) {
    Load("<Result><item><a>1</a><b>2</b></item></Result>");
    ASSERT_TRUE(markup.FindSibling("Result"));
    ASSERT_TRUE(markup.EnterChild());
    ASSERT_TRUE(markup.FindSibling("item"));
    EXPECT_EQ(ReadChild("b"), "2");
    ASSERT_TRUE(markup.LeaveToParent());
    ASSERT_TRUE(markup.EnterChild());
    EXPECT_EQ(markup.GetName(), "item");
    EXPECT_EQ(ReadChild("a"), "1");
    ASSERT_TRUE(markup.LeaveToParent());
    ASSERT_TRUE(markup.EnterChild());
    EXPECT_EQ(ReadChild("a"), "1");  // read before, found again
    EXPECT_EQ(ReadChild("b"), "2");
}

TEST_F(Navigator, TheRootCannotBeRewound) {
    Load("<Result><a>1</a></Result>");
    ASSERT_TRUE(markup.FindSibling("Result"));
    EXPECT_EQ(ReadChild("a"), "1");
    EXPECT_FALSE(markup.LeaveToParent());  // its parent is the document
    EXPECT_EQ(ReadChild("a"), "<missing>");
}

TEST_F(Navigator, MovesAtTheEdgesFailAndKeepThePositions) {
    Load("<Result/>");
    EXPECT_FALSE(markup.EnterChild());    // no current position
    EXPECT_FALSE(markup.LeaveToParent());  // the document has no parent
    ASSERT_TRUE(markup.FindSibling("Result"));
    EXPECT_FALSE(markup.FindChild(nullptr));
    EXPECT_EQ(markup.GetName(), "Result");
    ASSERT_TRUE(markup.EnterChild());  // into an empty element: no current position
    EXPECT_EQ(markup.GetName(), "");
    EXPECT_EQ(markup.GetText(), "");
    EXPECT_EQ(markup.GetNodeType(), kMarkupNone);
    ASSERT_TRUE(markup.LeaveToParent());
    EXPECT_EQ(markup.GetName(), "Result");
    EXPECT_FALSE(markup.LeaveToParent());
}

TEST_F(Navigator, ElementTextIsTheTextOfAllDescendants) {
    Load("<Result><empty/><outer><inner>deep</inner></outer><mixed>a<![CDATA[<b>]]><!--no-->c&amp;d</mixed></Result>");
    ASSERT_TRUE(markup.FindSibling("Result"));
    EXPECT_EQ(ReadChild("empty"), "");
    EXPECT_EQ(ReadChild("outer"), "deep");
    EXPECT_EQ(ReadChild("mixed"), "a<b>c&d");
}

TEST_F(Navigator, NodesAreReadByTheirTypeCodes) {
    Load("<Result>text<![CDATA[ cd ]]><!--note--><?target some data?>\r\n\t <e>x</e></Result>");
    ASSERT_TRUE(markup.FindSibling("Result"));
    EXPECT_EQ(markup.GetNodeType(), kMarkupElement);
    const std::vector<MarkupNode> nodes = markup.ChildNodes();
    ASSERT_EQ(nodes.size(), 6u);
    const std::pair<int, std::string> expected[] = {
        {kMarkupText, "text"}, {kMarkupCdata, " cd "}, {kMarkupComment, "note"},
        {kMarkupProcessingInstruction, "target some data"}, {kMarkupWhitespace, "\n\t "}, {kMarkupElement, "x"}};
    for (size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(nodes[i].type, expected[i].first) << i;
        EXPECT_EQ(nodes[i].text, expected[i].second) << i;
    }
}

TEST(MarkupLoad, FailuresKeepTheParsersReasonAndTraceIt) {
    TraceCapture traces;
    TempDir folder;
    CMarkupMSXML markup;
    EXPECT_FALSE(markup.LoadFile((folder / "missing.xml").string()));
    EXPECT_FALSE(markup.GetError().empty());

    const auto broken = folder.Write("broken.xml", "<Result><a></Result>");
    EXPECT_FALSE(markup.LoadFile(broken.string()));
    const std::string reason = markup.GetError();
    ASSERT_FALSE(reason.empty());
    EXPECT_NE(reason.back(), '\n');
    EXPECT_NE(reason.find("mismatch"), std::string::npos) << reason;
    EXPECT_TRUE(traces.Has("x_ParseError : " + reason));
    EXPECT_FALSE(markup.FindSibling(nullptr));

    // A good load afterwards starts from fresh positions.
    const auto good = folder.Write("good.xml", "<Result><a>1</a></Result>");
    ASSERT_TRUE(markup.LoadFile(good.string()));
    ASSERT_TRUE(markup.FindSibling("Result"));
}

TEST(MarkupLoad, ExternalEntitiesAreNotFetched) {
    TempDir folder;
    const auto secret = folder.Write("secret.txt", "SECRET");
    CMarkupMSXML markup;
    const std::string document = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + secret.string() +
                                 "\">]><Result>&x;</Result>";
    ASSERT_TRUE(markup.LoadDocument(document)) << markup.GetError();
    ASSERT_TRUE(markup.FindSibling("Result"));
    EXPECT_EQ(markup.GetText().find("SECRET"), std::string::npos);
}

// Texts leave the navigator in CP936 whatever the document's encoding.
struct EncodingCase {
    const char* label;
    std::string document;
    bool loads;
    std::string text;  // of <n> when it loads, else a part of the load error
};

void PrintTo(const EncodingCase& c, std::ostream* out) { *out << c.label; }

class MarkupEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(MarkupEncoding, TextsComeOutInTheCodePage) {
    const EncodingCase& c = GetParam();
    CMarkupMSXML markup;
    ASSERT_EQ(markup.LoadDocument(c.document), c.loads) << markup.GetError();
    if (!c.loads) {
        EXPECT_NE(markup.GetError().find(c.text), std::string::npos) << markup.GetError();
        return;
    }
    ASSERT_TRUE(markup.FindChild("n"));
    markup.EnterChild();
    EXPECT_EQ(markup.GetText(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Declarations, MarkupEncoding,
    ::testing::Values(
        EncodingCase{"Gbk", GbkDocument("<Result><n>周杰伦</n></Result>"), true, Cp936("周杰伦")},
        EncodingCase{"Utf8", Utf8Document("<Result><n>周杰伦</n></Result>"), true, Cp936("周杰伦")},
        EncodingCase{"Gb2312ReadAsGbk",
                     "<?xml version=\"1.0\" encoding=\"gb2312\"?><Result><n>" + Cp936("喆") + "</n></Result>", true,
                     Cp936("喆")},
        EncodingCase{"NoDeclarationGbkBytes", "<Result><n>" + Cp936("歌手") + "</n></Result>", true, Cp936("歌手")},
        // The code page's user-defined area: a name the service gave with
        // a private character comes out with the same bytes.
        EncodingCase{"UserDefinedCharacter", GbkDocument("<Result><n>a") + "\xAA\xA1\xF8\xA1</n></Result>", true,
                     "a\xAA\xA1\xF8\xA1"},
        EncodingCase{"NoDeclarationUtf8", "<Result><n>歌手</n></Result>", true, Cp936("歌手")},
        EncodingCase{"UnrepresentableBecomesQuestionMarks", Utf8Document("<Result><n>a\xF0\x9F\x8E\xB5</n></Result>"),
                     true, "a?"},
        EncodingCase{"DeclaredUtf8ButGbkBytes", Utf8Document("<Result><n>" + Cp936("歌手") + "</n></Result>"), false,
                     "UTF-8"},
        EncodingCase{"UnknownEncoding", "<?xml version=\"1.0\" encoding=\"x-nothing\"?><Result><n>a</n></Result>",
                     false, "x-nothing"},
        // Well-formed but for a lead byte whose second byte is missing: the
        // decoder, not the structure, refuses it.
        EncodingCase{"CutInsideACharacter", GbkDocument("<Result><n>a") + "\xD6</n></Result>", false, "0xD6"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
