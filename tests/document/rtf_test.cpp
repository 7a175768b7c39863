// RTF edge cases written by hand.
#include <gtest/gtest.h>

#include "document_test_util.h"

namespace quill::document::testing {
namespace {

std::string rtf(std::string_view body) {
    return textOf("{\\rtf1\\ansi " + std::string(body) + "}");
}

TEST(RtfUnicode, FallbackCharactersAreSkippedAsUcSays) {
    EXPECT_EQ(rtf("a\\u8364\\'80b"), "a€b");                 // default \uc1: one fallback byte
    EXPECT_EQ(rtf("\\uc0 a\\u8364 b"), "a€b");               // no fallback at all
    EXPECT_EQ(rtf("\\uc2 a\\u8364 EUb"), "a€b");             // two fallback characters
    EXPECT_EQ(rtf("\\uc2 a\\u8364\\'80\\'80b"), "a€b");      // two fallback bytes
    EXPECT_EQ(rtf("{\\uc3 \\u8364 XYZ}\\u8364 ?c"), "€€c");  // \uc is scoped to its group
    EXPECT_EQ(rtf("\\u-10188?\\u-8930?"), "𝄞");              // surrogate pair as negative numbers
    EXPECT_EQ(rtf("\\u196?\\u-10188?x"), "Ä\uFFFDx");        // a lone high surrogate is marked, not dropped
    EXPECT_EQ(rtf("\\uc1 \\u228{}ab"), "äab");               // a group end ends the fallback
}

TEST(RtfCodePages, HexBytesFollowTheDocumentsCodePage) {
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1250 \\'b9\\'e6\\'9c\\'bf}"), "ąćśż");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}"), "Привет");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1253 \\'e1\\'e2\\'e3}"), "αβγ");
    EXPECT_EQ(textOf("{\\rtf1\\ansi \\'e4\\'80\\'93}"), "ä€“");  // 1252 when nothing is said
    // A font's charset overrides the document's code page for its text.
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial;}}"
                     "\\f0\\'e4 {\\f1\\'e4}\\'e4}"),
              "ä дä");
    // Text before any \f is in the default font (\deff), and its charset applies (older writers).
    EXPECT_EQ(
        textOf("{\\rtf1\\ansi\\ansicpg1252\\deff1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset161 Times Greek;}}"
               "\\'c1\\'e8\\'de\\'ed\\'e1 {\\f0\\'e4}}"),
        "Αθήνα ä");
    // Word 6 and WordPad: no \ansicpg, the Cyrillic charset of the font says it all.
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset204\\fprq2 Times New Roman Cyr;}}"
                     "\\pard\\plain \\f0\\fs20 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\par}"),
              "Привет");
    // Old Mac and DOS writers: \\mac is Mac OS Roman, \\pc code page 437, \\pca code page 850.
    EXPECT_EQ(textOf("{\\rtf1\\mac\\deff0{\\fonttbl{\\f0 Geneva;}}\\f0 K\\'9aln \\'d2zitiert\\'d3 \\'c9}"),
              "Köln “zitiert” …");
    EXPECT_EQ(textOf("{\\rtf1\\pc K\\'94ln \\'e1}"), "Köln ß");
    EXPECT_EQ(textOf("{\\rtf1\\pca K\\'94ln \\'d5}"), "Köln ı");
    EXPECT_EQ(textOf("{\\rtf1\\mac\\ansicpg1251 \\'cf}"), "П");  // \\ansicpg says more
    // Thai, by the document's code page or a font's charset.
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg874 \\'ca\\'c7\\'d1\\'ca\\'b4\\'d5}"), "สวัสดี");
    EXPECT_EQ(textOf("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset222 Tahoma;}}\\f0 \\'ca\\'c7}"), "สว");
    // An unknown code page decodes as 1252 rather than failing.
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1361 \\'e4}"), "ä");
}

TEST(RtfCodePages, DoubleByteCodePagesPairTheirBytes) {
    // WordPad on a Japanese Windows: the font name and the text in Shift-JIS (code page 932). A trail
    // byte below 0x80 is written as a character of its own, a backslash trail byte escaped.
    const Document japanese = documentOf(bytesOf(
        "{\\rtf1\\ansi\\ansicpg932\\deff0\\nouicompat\\deflang1033\\deflangfe1041{\\fonttbl{\\f0\\fnil"
        "\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}}\r\n"
        "\\pard\\f0\\fs22\\lang1041 \\'82\\'b1\\'82\\'f1\\'82\\'c9\\'82\\'bf\\'82\\'cd "
        "\\'83e\\'83L\\'83X\\'83g "
        "\\'83\\\\\\'83t\\'83g \\'b6\\'c0\\'b6\\'c5 ABC\\par\r\n}"));
    EXPECT_EQ(japanese.plainText(), "こんにちは テキスト ソフト ｶﾀｶﾅ ABC");
    EXPECT_EQ(japanese.runs.at(0).format.fontFamily, "ＭＳ ゴシック");
    // Simplified Chinese (GBK) from a font's charset in a Western document, Korean and Traditional
    // Chinese from the document's code page; \uN with two fallback bytes (\uc2) as Word writes them.
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset134 SimSun;}}\\f0 A "
                     "{\\f1\\'c4\\'e3\\'ba\\'c3\\'a3\\'ac\\'ca\\'c0\\'bd\\'e7} \\'e4}"),
              "A 你好，世界 ä");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg949 \\'be\\'c8\\'b3\\'e7\\'c7\\'cf\\'bc\\'bc\\'bf\\'e4}"),
              "안녕하세요");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg950 \\'c1c\\'c5\\'e9\\uc2\\u20013\\'a4\\'a4\\'a4\\'e5}"),
              "繁體中文");
    // A lead byte without its second byte is marked, and what follows is read as it is.
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg932 a\\'82\\par b\\'82}"), "a\uFFFD\nb\uFFFD");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg932 \\'82\\'0d\\'82\\u8364?}"), "\uFFFD\uFFFD€");
}

TEST(RtfCharacters, ControlWordsAndSymbolsShowWhatTheyMean) {
    EXPECT_EQ(rtf("\\lquote a\\rquote  \\ldblquote b\\rdblquote"), "‘a’ “b”");
    EXPECT_EQ(rtf("a\\emdash b\\endash c\\bullet d"), "a—b–c•d");
    EXPECT_EQ(rtf("a\\~b\\-c\\_d"), "a\u00A0bc\u2011d");
    EXPECT_EQ(rtf("\\{x\\}\\\\"), "{x}\\");
    EXPECT_EQ(rtf("eins\\tab zwei\\line drei\\par vier"), "eins\tzwei\ndrei\nvier");
    EXPECT_EQ(rtf("a\\\nb"), "a\nb");  // backslash before a line break is a paragraph mark
    EXPECT_EQ(rtf("line\r\nbreaks\nin the file"), "linebreaksin the file");
    EXPECT_EQ(rtf("\\intbl a\\cell b\\cell\\row c"), "a\tb\nc");
    // A soft hyphen written as a byte or a \u character shows nothing, like \-.
    EXPECT_EQ(rtf("Sil\\'adben\\u173?trennung"), "Silbentrennung");
}

TEST(RtfTables, AParagraphMarkBeforeTheCellEndOpensNoEmptyLine) {
    // pandoc ends each cell's paragraph with \par inside the cell; Word and LibreOffice do not.
    EXPECT_EQ(rtf("{\\trowd{{\\pard\\intbl A\\par}\n\\cell}{{\\pard\\intbl B\\par}\n\\cell}\\intbl\\row}"
                  "{\\pard C\\par}"),
              "A\tB\nC");
    EXPECT_EQ(rtf("\\intbl A1\\par A2\\par\\cell\\par\\cell{\\b B}\\cell\\row"), "A1\nA2\t\tB");
    // A nested table's row ends with \\nestrow in its ignorable properties; {\\nonesttables ...} is for
    // readers without nested tables.
    EXPECT_EQ(rtf("\\intbl A\\cell\\itap2 I1\\nestcell I2\\nestcell{\\*\\nesttableprops\\trowd\\nestrow}"
                  "{\\nonesttables\\par}\\itap1 innen\\cell\\row Ende"),
              "A\tI1\tI2\ninnen\nEnde");
    // A row end after a format change still takes the last cell's tab.
    EXPECT_EQ(rtf("\\intbl{\\b A\\cell}\\row B"), "A\nB");
}

TEST(RtfTrackedChanges, DeletedTextAndListLabelsStayOut) {
    EXPECT_EQ(rtf("Erster {\\deleted\\revauthdel1 gel\\u246\\'f6schtes }Satz{\\revised\\revauth1  neu}"),
              "Erster Satz neu");
    EXPECT_EQ(rtf("a\\deleted b\\deleted0 c\\deleted d\\plain e"), "ace");
    EXPECT_EQ(rtf("eins{\\deleted\\par}zwei"), "einszwei");  // a deleted paragraph mark joins
    // List labels: LibreOffice and Word write \listtext, Word 6 and WordPad \pntext.
    EXPECT_EQ(rtf("{\\listtext\\pard\\plain  \\u8226\\'95\\tab}Punkt\\par"
                  "{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}Zwei\\par"
                  "{\\listtext\\pard\\plain \\tab}Titel"),
              "Punkt\nZwei\nTitel");
}

TEST(RtfParagraphs, OnlyTheFinalParagraphMarkIsDropped) {
    EXPECT_EQ(rtf("a\\par b\\par"), "a\nb");
    EXPECT_EQ(rtf("a\\par b\\par\\par"), "a\nb\n");
    EXPECT_EQ(rtf("a\\line"), "a\n");
    EXPECT_EQ(rtf("\\par"), "");
    EXPECT_EQ(rtf("a\\page b\\par\\page c\\sect d"), "a\nb\nc\nd");
}

TEST(RtfDestinations, NonTextIsSkipped) {
    const std::string text =
        rtf("{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
            "{\\stylesheet{\\s0 Normal;}}{\\info{\\title Titel}{\\author Jemand}}"
            "{\\*\\generator Writer}{\\*\\unknowndestination text}"
            "A{\\pict\\pngblip 89504e47}B{\\object{\\*\\objdata 0102}{\\result R}}C"
            "{\\header Kopf}{\\footnote Fuss}D"
            "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt Verweis}}E"
            "F\\bin5 {}\\}\\G");
    EXPECT_EQ(text, "ABCDVerweisEFG");
    EXPECT_EQ(rtf("sichtbar{\\v versteckt}\\v0 !"), "sichtbar!");
}

TEST(RtfStructure, UnbalancedOrDeepGroupsNeverBreakTheReader) {
    EXPECT_EQ(textOf("{\\rtf1 a{\\b b"), "ab");                    // missing closing braces
    EXPECT_EQ(textOf("{\\rtf1 a}} b}"), "a");                      // text after the document is ignored
    EXPECT_EQ(textOf("{\\rtf1 a\\"), "a");                         // ends inside a control word
    EXPECT_EQ(textOf("{\\rtf1 a\\'4"), "a");                       // ends inside a hex byte
    EXPECT_EQ(textOf("{\\rtf1 a\\fs99999999999999999 b}"), "ab");  // oversized parameter
    const std::string deep = "{\\rtf1 " + std::string(200000, '{') + "x" + std::string(200000, '}') + "y}";
    EXPECT_EQ(textOf(deep), "xy");
}

TEST(RtfFormatting, GroupsAndPlainScopeTheFormatting) {
    const Document document = documentOf(bytesOf(
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1 Courier New;}}"
        "{\\colortbl;\\red0\\green128\\blue255;}"
        "\\f0\\fs24 a{\\b b{\\i c}}{\\ul d\\ulnone e}{\\strike f}{\\cf1 g}{\\f1\\fs40 h}\\b i\\plain j}"));
    ASSERT_EQ(document.plainText(), "abcdefghij");
    std::vector<std::pair<std::string, TextFormat>> runs;
    for (const TextRun& run : document.runs) runs.emplace_back(run.text, run.format);
    TextFormat base;
    base.fontFamily = "Times New Roman";
    base.pointSize = 12;
    auto with = [&](auto change) {
        TextFormat format = base;
        change(format);
        return format;
    };
    const std::vector<std::pair<std::string, TextFormat>> expected = {
        {"a", base},
        {"b", with([](TextFormat& f) { f.bold = true; })},
        {"c", with([](TextFormat& f) { f.bold = f.italic = true; })},
        {"d", with([](TextFormat& f) { f.underline = true; })},
        {"e", base},
        {"f", with([](TextFormat& f) { f.strikeOut = true; })},
        {"g", with([](TextFormat& f) { f.color = 0x0080FF; })},
        {"h", with([](TextFormat& f) {
             f.fontFamily = "Courier New";
             f.pointSize = 20;
         })},
        {"i", with([](TextFormat& f) { f.bold = true; })},
        // \plain returns to the document's default font and the editor's own size.
        {"j", with([](TextFormat& f) { f.pointSize = 0; })},
    };
    EXPECT_EQ(runs, expected);
}

}  // namespace
}  // namespace quill::document::testing
