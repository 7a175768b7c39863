// RTF written by hand: the text it gives, or the message refusing it, and its formatting.
#include <gtest/gtest.h>

#include "document_test_util.h"

namespace quill::document::testing {
namespace {

std::string r(std::string_view body) {
    return "{\\rtf1\\ansi " + std::string(body) + "}";
}

TEST(Rtf, HandWrittenInputGivesItsText) {
    const std::string deep = "{\\rtf1 " + std::string(200000, '{') + "x" + std::string(200000, '}') + "y}";
    expectRows({
        // \uN skips as many fallback characters or bytes as \ucN says, within its group.
        {r("a\\u8364\\'80b"), "a€b"},
        {r("\\uc0 a\\u8364 b"), "a€b"},
        {r("\\uc2 a\\u8364\\'80\\'80b"), "a€b"},
        {r("{\\uc3 \\u8364 XYZ}\\u8364 ?c"), "€€c"},
        {r("\\uc1 \\u228{}ab"), "äab"},
        {r("\\uc4 \\u228 ????bc"), "äbc"},
        {r("\\uc999999999 \\u228 ?bc"), "äbc"},  // a count no writer uses swallows nothing
        // Negative numbers, surrogate pairs; what is no character becomes U+FFFD.
        {r("\\u-10188?\\u-8930?"), "𝄞"},
        {r("\\u196?\\u-10188?x"), "Ä\uFFFDx"},
        {r("a\\u56320?b"), "a\uFFFDb"},
        {r("a\\u-1?b"), "a\uFFFDb"},
        {r("a\\u-2?b"), "a\uFFFDb"},
        {r("a\\u64976?b"), "a\uFFFDb"},
        // Hex bytes in the document's code page, or in the charset of the font (\deff before any \f).
        {"{\\rtf1\\ansi\\ansicpg1250 \\'b9\\'e6\\'9c\\'bf}", "ąćśż"},
        {"{\\rtf1\\ansi\\ansicpg1253 \\'e1\\'e2\\'e3}", "αβγ"},
        {"{\\rtf1\\ansi \\'e4\\'80\\'93}", "ä€“"},
        {"{\\rtf1\\ansi\\ansicpg1361 \\'e4}", "ä"},
        {"{\\rtf1\\ansicpg1252{\\fonttbl{\\f0 A;}{\\f1\\fcharset204 B;}}\\f0\\'e4 {\\f1\\'e4}\\'e4}", "ä дä"},
        {"{\\rtf1\\ansicpg1252\\deff1{\\fonttbl{\\f0 A;}{\\f1\\fcharset161 G;}}\\'c1\\'e8\\'de {\\f0\\'e4}}",
         "Αθή ä"},
        {"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset204 Cyr;}}\\pard\\plain \\f0 \\'cf\\par}", "П"},
        {"{\\rtf1\\mac\\deff0{\\fonttbl{\\f0 G;}}\\f0 K\\'9aln \\'d2zitiert\\'d3 \\'c9}", "Köln “zitiert” …"},
        {"{\\rtf1\\pc K\\'94ln \\'e1}", "Köln ß"},
        {"{\\rtf1\\pca K\\'94ln \\'d5}", "Köln ı"},
        {"{\\rtf1\\mac\\ansicpg1251 \\'cf}", "П"},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset222 Tahoma;}}\\f0 \\'ca\\'c7}", "สว"},
        // Double-byte code pages pair their bytes; a lead byte without its second one is marked.
        {"{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 A;}{\\f1\\fcharset134 S;}}\\f0 A "
         "{\\f1\\'c4\\'e3\\'ba\\'c3\\'a3\\'ac\\'ca\\'c0\\'bd\\'e7} \\'e4}",
         "A 你好，世界 ä"},
        {"{\\rtf1\\ansi\\ansicpg949 \\'be\\'c8\\'b3\\'e7\\'c7\\'cf\\'bc\\'bc\\'bf\\'e4}", "안녕하세요"},
        {"{\\rtf1\\ansi\\ansicpg950 \\'c1c\\'c5\\'e9\\uc2\\u20013\\'a4\\'a4\\'a4\\'e5}", "繁體中文"},
        {"{\\rtf1\\ansi\\ansicpg932 a\\'82\\par b\\'82}", "a\uFFFD\nb\uFFFD"},
        {"{\\rtf1\\ansi\\ansicpg932 \\'82\\'0d\\'82\\u8364?}", "\uFFFD\uFFFD€"},
        // Control words and symbols; line breaks in the file are no text.
        {r("\\lquote a\\rquote  \\ldblquote b\\rdblquote"), "‘a’ “b”"},
        {r("a\\emdash b\\endash c\\bullet d"), "a—b–c•d"},
        {r("a\\~b\\-c\\_d\\{x\\}\\\\"), "a\u00A0bc\u2011d{x}\\"},
        {r("eins\\tab zwei\\line drei\\par vier"), "eins\tzwei\ndrei\nvier"},
        {r("a\\\nb"), "a\nb"},
        {r("line\r\nbreaks\nin the file"), "linebreaksin the file"},
        {r("Sil\\'adben\\u173?trennung"), "Silbentrennung"},
        // Tables: a \par before the cell end (pandoc) opens no empty line; nested rows end with \nestrow.
        {r("\\intbl a\\cell b\\cell\\row c"), "a\tb\nc"},
        {r("{\\trowd{{\\pard\\intbl A\\par}\n\\cell}{{\\pard\\intbl B\\par}\n\\cell}\\intbl\\row}"
           "{\\pard C\\par}"),
         "A\tB\nC"},
        {r("\\intbl A1\\par A2\\par\\cell\\par\\cell{\\b B}\\cell\\row"), "A1\nA2\t\tB"},
        {r("\\intbl A\\cell\\itap2 I1\\nestcell I2\\nestcell{\\*\\nesttableprops\\trowd\\nestrow}"
           "{\\nonesttables\\par}\\itap1 innen\\cell\\row Ende"),
         "A\tI1\tI2\ninnen\nEnde"},
        {r("\\intbl{\\b A\\cell}\\row B"), "A\nB"},
        // Deleted text and list labels (\listtext, \pntext) stay out.
        {r("Erster {\\deleted\\revauthdel1 gel\\u246\\'f6schtes }Satz{\\revised\\revauth1  neu}"),
         "Erster Satz neu"},
        {r("a\\deleted b\\deleted0 c\\deleted d\\plain e"), "ace"},
        {r("eins{\\deleted\\par}zwei"), "einszwei"},
        {r("{\\listtext\\pard\\plain  \\u8226\\'95\\tab}Punkt\\par{\\pntext\\f1\\'b7\\tab}"
           "{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}Zwei\\par{\\listtext\\pard\\plain \\tab}Titel"),
         "Punkt\nZwei\nTitel"},
        // Only the final paragraph mark is dropped; page and section breaks are paragraph ends.
        {r("a\\par b\\par"), "a\nb"},
        {r("a\\par b\\par\\par"), "a\nb\n"},
        {r("a\\line"), "a\n"},
        {r("\\par"), ""},
        {r("a\\page b\\par\\page c\\sect d"), "a\nb\nc\nd"},
        // Destinations that hold no text, hidden text and \binN data are skipped.
        {r("{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
           "{\\info{\\title Titel}{\\author Jemand}}{\\*\\generator Writer}{\\*\\unknowndestination text}"
           "A{\\pict\\pngblip 89504e47}B{\\object{\\*\\objdata 0102}{\\result R}}C{\\header Kopf}"
           "{\\footnote Fuss}D{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt Verweis}}EF\\bin5 {}\\}\\G"),
         "ABCDVerweisEFG"},
        {r("sichtbar{\\v versteckt}\\v0 !"), "sichtbar!"},
        // Unbalanced, cut off or deep groups and oversized numbers.
        {"{\\rtf1 a{\\b b", "ab"},
        {"{\\rtf1 a}} b}", "a"},
        {"{\\rtf1 a\\", "a"},
        {"{\\rtf1 a\\'4", "a"},
        {"{\\rtf1 a\\fs99999999999999999 b}", "ab"},
        {deep, "xy"},
        {"{\\rtf1 a\\bin999999 xyz}",
         "Die Datei \"probe\" ist beschädigt oder unvollständig und kann nicht geöffnet werden (die Datei "
         "ist abgeschnitten, eingebettete Binärdaten reichen über ihr Ende hinaus).",
         true},
    });
}

TEST(Rtf, FormattingAndFontNames) {
    EXPECT_EQ(
        describeRuns("{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1 Courier New;}}"
                     "{\\colortbl;\\red0\\green128\\blue255;}\\f0\\fs24 a{\\b b{\\i c}}{\\ul d\\ulnone e}"
                     "{\\strike f}{\\cf1 g}{\\f1\\fs40 h}\\b i\\plain j}"),
        (std::vector<std::string>{"a: Times New Roman 12", "b: Times New Roman 12 bold",
                                  "c: Times New Roman 12 bold italic", "d: Times New Roman 12 underline",
                                  "e: Times New Roman 12", "f: Times New Roman 12 strike",
                                  "g: Times New Roman 12 #0080ff", "h: Courier New 20",
                                  "i: Times New Roman 12 bold", "j: Times New Roman 0"}));
    // WordPad on a Japanese Windows: font name and text in Shift-JIS, a trail byte below 0x80 written as a
    // character of its own, a backslash trail byte escaped.
    EXPECT_EQ(describeRuns(
                  "{\\rtf1\\ansi\\ansicpg932\\deff0\\nouicompat\\deflang1033\\deflangfe1041{\\fonttbl{\\f0"
                  "\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}}\r\n"
                  "\\pard\\f0\\fs22\\lang1041 \\'82\\'b1\\'82\\'f1\\'82\\'c9\\'82\\'bf\\'82\\'cd \\'83e\\'83L"
                  "\\'83X\\'83g \\'83\\\\\\'83t\\'83g \\'b6\\'c0\\'b6\\'c5 ABC\\par\r\n}"),
              std::vector<std::string>{"こんにちは テキスト ソフト ｶﾀｶﾅ ABC: ＭＳ ゴシック 11"});
}

}  // namespace
}  // namespace quill::document::testing
