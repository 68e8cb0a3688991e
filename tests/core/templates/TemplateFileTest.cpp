#include "core/config/DataFolder.h"
#include "core/templates/TemplateFile.h"
#include "core/text/Gbk.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>

namespace zentra {
namespace {

// A file as the Windows program wrote it: one receiver-name item, a 4-byte
// picture, Chinese text and face name stored as UTF-8, CR LF line ends.
const std::string kWindowsFile =
    "<templateInfo>\r\n"
    "    <imageInfo>\r\n"
    "        <ImgData>/9j/4A==</ImgData>\r\n"
    "        <ImgWidth>23.5</ImgWidth>\r\n"
    "        <ImgHeight>12.7</ImgHeight>\r\n"
    "        <LeftMargin>1</LeftMargin>\r\n"
    "        <TopMargin>0</TopMargin>\r\n"
    "    </imageInfo>\r\n"
    "    <ceditInfo>\r\n"
    "        <editID>120</editID>\r\n"
    "        <editName>收件人姓名</editName>\r\n"
    "        <left>260</left>\r\n"
    "        <top>20</top>\r\n"
    "        <right>360</right>\r\n"
    "        <bottom>40</bottom>\r\n"
    "        <fontName>黑体</fontName>\r\n"
    "        <fontSize>72</fontSize>\r\n"
    "        <FontColor>0,128,255</FontColor>\r\n"
    "        <Italic>0</Italic>\r\n"
    "        <Bold>1</Bold>\r\n"
    "    </ceditInfo>\r\n"
    "</templateInfo>\r\n";

// One item element with the given children, inside a minimal template.
std::string withItems(const std::string &items)
{
    return "<templateInfo><imageInfo><ImgWidth>10</ImgWidth></imageInfo>" + items + "</templateInfo>";
}

Template parsed(const std::string &xml)
{
    Template t;
    EXPECT_TRUE(parseTemplate(xml, t)) << xml;
    return t;
}

TemplateItem itemAt(const Template &t, int slot)
{
    EXPECT_TRUE(t.items[static_cast<std::size_t>(slot)].has_value()) << "slot " << slot;
    return t.items[static_cast<std::size_t>(slot)].value_or(TemplateItem{});
}

TEST(TemplateFile, ReadsAndRewritesAWindowsFileByteForByte)
{
    Template t = parsed(kWindowsFile);
    EXPECT_EQ(t.imgWidth, "23.5");
    EXPECT_EQ(t.imgHeight, "12.7");
    EXPECT_EQ(t.leftMargin, "1");
    EXPECT_EQ(t.topMargin, "0");
    EXPECT_EQ(decodeBase64(t.imgData), "\xFF\xD8\xFF\xE0");
    TemplateItem item = itemAt(t, 20);
    EXPECT_EQ(item.id, 120);
    EXPECT_EQ(item.text, "收件人姓名");
    EXPECT_EQ(item.fontName, "黑体");
    EXPECT_EQ(item.fontSize, 72);
    EXPECT_EQ(item.color, (Rgb{0, 128, 255}));
    EXPECT_FALSE(item.italic);
    EXPECT_TRUE(item.bold);
    EXPECT_EQ(writeTemplate(t), kWindowsFile);
}

// Two more files as the Windows program wrote them, built from its format by
// hand: the picture's Base64 broken after every 76 characters with escaped
// CR LF, an empty item text, markup characters, a line break and a tab, the
// first and the last slot and a slot without a field.
std::string pictureBytes(std::size_t n)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(i * 37 + 11);
    return s;
}

const char *const kLine1 = "CzBVep/E6Q4zWH2ix+wRNluApcrvFDleg6jN8hc8YYar0PUaP2SJrtP4HUJnjLHW+yBFao+02f4j";
const char *const kLine2 = "SG2St9wBJktwlbrfBClOc5i94gcsUXabwOUKL1R5nsPoDTJXfKHG6xA1Wn+kye4TOF2Cp8zxFjtg";

std::string windowsItem(const std::string &id, const std::string &text, const std::string &rect,
                        const std::string &face, const std::string &rest)
{
    return "    <ceditInfo>\r\n        <editID>" + id + "</editID>\r\n        <editName>" + text + "</editName>\r\n" +
           rect + "        <fontName>" + face + "</fontName>\r\n" + rest + "    </ceditInfo>\r\n";
}

TEST(TemplateFile, HandMadeWindowsFilesComeBackByteForByte)
{
    auto rect = [](int l, int t, int r, int b) {
        return "        <left>" + std::to_string(l) + "</left>\r\n        <top>" + std::to_string(t) +
               "</top>\r\n        <right>" + std::to_string(r) + "</right>\r\n        <bottom>" + std::to_string(b) +
               "</bottom>\r\n";
    };
    auto rest = [](const std::string &size, const std::string &color, const std::string &italic,
                   const std::string &bold) {
        return "        <fontSize>" + size + "</fontSize>\r\n        <FontColor>" + color +
               "</FontColor>\r\n        <Italic>" + italic + "</Italic>\r\n        <Bold>" + bold + "</Bold>\r\n";
    };
    auto head = [](const std::string &imgData) {
        return "<templateInfo>\r\n    <imageInfo>\r\n        <ImgData>" + imgData +
               "</ImgData>\r\n        <ImgWidth>23.5</ImgWidth>\r\n        <ImgHeight>12.70</ImgHeight>\r\n"
               "        <LeftMargin>-1</LeftMargin>\r\n        <TopMargin>2</TopMargin>\r\n    </imageInfo>\r\n";
    };
    const std::string breakRef = "&#x0D;&#x0A;";
    struct Case {
        std::size_t pictureSize;
        std::string file;
        int items;
    };
    const Case cases[] = {
        // 119 bytes: two full lines, then the padded group without a break.
        {119,
         head(kLine1 + breakRef + kLine2 + breakRef + "harP9Bk=") +
             windowsItem("100", "发件人姓名", rect(20, 20, 120, 40), "宋体", rest("200", "0,0,0", "0", "0")) +
             windowsItem("117", "", rect(140, 230, 240, 250), "黑体", rest("72", "0,128,255", "1", "1")) +
             windowsItem("127", "北京市&amp;朝阳区 &lt;A座&gt;&#x0D;&#x0A;3号 &quot;楼&quot; &apos;x&apos;&#x09;y",
                         rect(-5, 0, 100, 2000), "Microsoft YaHei", rest("54", "255,255,255", "0", "1")) +
             windowsItem("159", "时", rect(620, 290, 720, 310), "仿宋_GB2312", rest("60", "12,3,200", "1", "0")) +
             "</templateInfo>\r\n",
         4},
        // 114 bytes, a multiple of 57: the last line ends with a break too.
        {114, head(kLine1 + breakRef + kLine2 + breakRef) + "</templateInfo>\r\n", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pictureSize);
        Template t = parsed(c.file);
        EXPECT_EQ(decodeBase64(t.imgData), pictureBytes(c.pictureSize));
        EXPECT_EQ(encodeBase64Lines(pictureBytes(c.pictureSize)), t.imgData);
        int items = 0;
        for (const auto &item : t.items)
            items += item.has_value();
        EXPECT_EQ(items, c.items);
        EXPECT_EQ(writeTemplate(t), c.file);
    }
    Template t = parsed(cases[0].file);
    EXPECT_EQ(itemAt(t, 17).text, "");
    EXPECT_EQ(itemAt(t, 27).text, "北京市&朝阳区 <A座>\r\n3号 \"楼\" 'x'\ty");
    EXPECT_EQ(itemAt(t, 27).left, -5);
    EXPECT_EQ(itemAt(t, 59).color, (Rgb{12, 3, 200}));
}

TEST(TemplateFile, WritesOnlyImageInfoWithoutItemsAndEmptyTextAsTwoTags)
{
    Template t;
    t.imgWidth = "20";
    t.imgHeight = "10";
    EXPECT_EQ(writeTemplate(t), "<templateInfo>\r\n"
                                "    <imageInfo>\r\n"
                                "        <ImgData></ImgData>\r\n"
                                "        <ImgWidth>20</ImgWidth>\r\n"
                                "        <ImgHeight>10</ImgHeight>\r\n"
                                "        <LeftMargin>0</LeftMargin>\r\n"
                                "        <TopMargin>0</TopMargin>\r\n"
                                "    </imageInfo>\r\n"
                                "</templateInfo>\r\n");

    TemplateItem item;
    item.text = "";
    t.items[59] = item;
    std::string xml = writeTemplate(t);
    EXPECT_NE(xml.find("        <editID>159</editID>\r\n        <editName></editName>\r\n"), std::string::npos) << xml;
    EXPECT_EQ(itemAt(parsed(xml), 59).text, "");

    t.items[59]->text = "\r\n ";
    EXPECT_EQ(writeTemplate(t), xml);
}

TEST(TemplateFile, ItemTextsAndFaceNamesRoundTrip)
{
    struct Case {
        std::string text;
        std::string written; // how the text appears in the file
    };
    const Case cases[] = {
        {"A & B <c> \"d\" 'e'", "A &amp; B &lt;c&gt; &quot;d&quot; &apos;e&apos;"},
        {"第一行\r\n第二行", "第一行&#x0D;&#x0A;第二行"},
        {"tab\there", "tab&#x09;here"},
        {"中通快递 No.1", "中通快递 No.1"},
        // Text that looks like a character reference stays text.
        {"&#x41;", "&amp;#x41;"},
        // Spaces that condensing would drop are written as references.
        {" lead", "&#x20;lead"},
        {"trail ", "trail&#x20;"},
        {"a   b", "a &#x20;&#x20;b"},
        {"line\r\n indented", "line&#x0D;&#x0A; indented"},
    };
    for (const Case &c : cases) {
        Template t;
        TemplateItem item;
        item.text = c.text;
        item.fontName = c.text;
        t.items[3] = item;
        std::string xml = writeTemplate(t);
        EXPECT_NE(xml.find("<editName>" + c.written + "</editName>"), std::string::npos) << xml;
        TemplateItem back = itemAt(parsed(xml), 3);
        EXPECT_EQ(back.text, c.text);
        EXPECT_EQ(back.fontName, c.text);
        EXPECT_EQ(writeTemplate(parsed(xml)), xml) << c.text;
    }
}

TEST(TemplateFile, ReadingCondensesRawWhiteSpaceAsTinyXmlDoes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"  a   b  ", "a b"},
        {"a\r\n   b", "a b"},
        {"a\t\tb", "a b"},
        {"   ", ""},
        {"a&#x0A;b", "a\nb"},
        {"<![CDATA[ a  b ]]>", " a  b "},
        // White space alone cannot be stored: TinyXML drops it unless it is
        // in a CDATA section, and then it reads as empty too.
        {"&#x0D;&#x0A;", ""},
        {"<![CDATA[  ]]>", ""},
    };
    for (const auto &[raw, text] : cases)
        EXPECT_EQ(itemAt(parsed(withItems("<c><editID>100</editID><editName>" + raw + "</editName></c>")), 0).text,
                  text)
            << raw;
}

TEST(TemplateFile, ReaderIsTolerantOfOrderNamesAndExtras)
{
    // Any root name, children in any order, unknown elements and comments
    // ignored, an item element of any name.
    Template t = parsed("<?xml version=\"1.0\"?><!-- x --><anything>"
                        "<item><Bold>1</Bold><extra>9</extra><FontColor>1,2,3</FontColor><editID>145</editID>"
                        "<left>10.7</left><right>-3.9</right><top>1e12</top><bottom>-1e12</bottom></item>"
                        "<imageInfo><TopMargin>2</TopMargin><imgwidth>no</imgwidth><ImgWidth>7</ImgWidth></imageInfo>"
                        "</anything>");
    EXPECT_EQ(t.imgWidth, "7");
    EXPECT_EQ(t.topMargin, "2");
    EXPECT_EQ(t.leftMargin, "0");
    TemplateItem item = itemAt(t, 45);
    EXPECT_EQ(item.id, 145);
    EXPECT_TRUE(item.bold);
    EXPECT_EQ(item.color, (Rgb{1, 2, 3}));
    EXPECT_EQ(item.left, 10);
    EXPECT_EQ(item.right, -3);
    EXPECT_EQ(item.top, INT_MAX);
    EXPECT_EQ(item.bottom, INT_MIN);
}

TEST(TemplateFile, EachItemStartsFromTheDefaults)
{
    Template t = parsed(withItems("<c><editID>100</editID><editName>x</editName><fontName>黑体</fontName>"
                                  "<fontSize>90</fontSize><Italic>1</Italic><FontColor>9,9,9</FontColor></c>"
                                  "<c><editID>101</editID></c>"));
    TemplateItem fresh;
    fresh.id = 101;
    EXPECT_EQ(itemAt(t, 1), fresh);
}

TEST(TemplateFile, ItemIdsOutsideTheSlotsAreIgnoredAndALaterDuplicateWins)
{
    Template t = parsed(withItems("<c><editID>99</editID></c><c><editID>160</editID></c><c></c>"
                                  "<c><editID>130</editID><editName>first</editName></c>"
                                  "<c><editID>130</editID><editName>second</editName></c>"
                                  "<c><editID>-2147483648</editID></c><c><editID>99999999999</editID></c>"));
    int count = 0;
    for (const auto &item : t.items)
        count += item.has_value();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(itemAt(t, 30).text, "second");
}

TEST(TemplateFile, FaceNamesAreCutTo31GbkBytesOnACharacterBoundary)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Arial", "Arial"},
        {std::string(40, 'x'), std::string(31, 'x')},
        // 15 Chinese characters: 30 GBK bytes (45 in UTF-8) fit.
        {"一二三四五六七八九十一二三四五", "一二三四五六七八九十一二三四五"},
        // 16 would take 32; the last one goes rather than half of it.
        {"一二三四五六七八九十一二三四五六", "一二三四五六七八九十一二三四五"},
        {"x一二三四五六七八九十一二三四五六", "x一二三四五六七八九十一二三四五"},
    };
    for (const auto &[name, kept] : cases) {
        EXPECT_EQ(limitFaceName(name), kept);
        EXPECT_EQ(itemAt(parsed(withItems("<c><editID>100</editID><fontName>" + name + "</fontName></c>")), 0).fontName,
                  kept);
    }
}

TEST(TemplateFile, ColorTextParts)
{
    const std::pair<std::string, Rgb> cases[] = {
        {"0,128,255", {0, 128, 255}}, {"255,0,0", {255, 0, 0}},   {"", {0, 0, 0}},
        {"12", {12, 0, 0}},           {"1,2", {1, 2, 0}},         {"1000,2,3", {100, 2, 3}},
        {"-1,256,7,9", {255, 0, 7}},  {" 7, 8,x", {7, 8, 0}},     {"1,,3", {1, 0, 3}},
    };
    for (const auto &[text, rgb] : cases)
        EXPECT_EQ(parseColorText(text), rgb) << text;
    EXPECT_EQ(formatColorText({0, 128, 255}), "0,128,255");
}

TEST(TemplateFile, Base64LinesAndDecoding)
{
    auto bytes = [](std::size_t n) {
        std::string s(n, '\0');
        for (std::size_t i = 0; i < n; ++i)
            s[i] = static_cast<char>(i * 7 + 3);
        return s;
    };
    EXPECT_EQ(encodeBase64Lines(""), "");
    EXPECT_EQ(encodeBase64Lines("M"), "TQ==");
    EXPECT_EQ(encodeBase64Lines("Ma"), "TWE=");
    EXPECT_EQ(encodeBase64Lines("Man"), "TWFu");
    struct Case {
        std::size_t size;
        std::size_t lineBreaks;
        bool endsWithBreak;
    };
    const Case cases[] = {{56, 0, false}, {57, 1, true}, {58, 1, false}, {114, 2, true}, {113, 1, false}};
    for (const Case &c : cases) {
        std::string text = encodeBase64Lines(bytes(c.size));
        std::size_t breaks = 0;
        for (std::size_t pos = 0; (pos = text.find("\r\n", pos)) != std::string::npos; pos += 2)
            ++breaks;
        EXPECT_EQ(breaks, c.lineBreaks) << c.size;
        EXPECT_EQ(text.ends_with("\r\n"), c.endsWithBreak) << c.size;
        if (c.lineBreaks > 0) {
            EXPECT_EQ(text.find("\r\n"), 76u);
        }
        EXPECT_EQ(decodeBase64(text), bytes(c.size)) << c.size;
    }
    // Line breaks and stray characters are skipped; "=" ends a group.
    EXPECT_EQ(decodeBase64("TW\r\nFu TQ=="), "ManM");
    EXPECT_EQ(decodeBase64("TQ==TWE="), "MMa");
    EXPECT_EQ(decodeBase64("TWF"), "Ma");
}

TEST(TemplateFile, BackgroundsLargerThan800KiBAreReadWhole)
{
    test::TempDir dir;
    std::string picture(1'000'000, '\0');
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<char>(i * 31 + i / 997);
    Template t;
    t.imgData = encodeBase64Lines(picture);
    ASSERT_TRUE(saveTemplateFile(dir.file("big.ttp"), t));
    Template back;
    ASSERT_TRUE(readTemplateFile(dir.file("big.ttp"), back));
    EXPECT_EQ(back.imgData, t.imgData);
    EXPECT_EQ(decodeBase64(back.imgData), picture);
}

TEST(TemplateFile, FilesThatHoldNoTemplateLoadNothing)
{
    test::TempDir dir;
    Template t;
    t.imgWidth = "keep";
    EXPECT_FALSE(readTemplateFile(dir.file("missing.ttp"), t));
    const std::string noTemplates[] = {
        "",
        "not xml at all",
        "<!-- only a comment -->",
        // Nested deeper than a stack can take, and an element with a
        // hundred thousand attributes: refused quickly instead.
        [] {
            std::string s;
            for (int i = 0; i < 100000; ++i)
                s += "<a>";
            return s;
        }(),
        [] {
            std::string s = "<r ";
            for (int i = 0; i < 100000; ++i)
                s += "a" + std::to_string(i) + "='' ";
            return s + "/>";
        }(),
        // The same behind a comment holding a quote, and with a ">" in
        // every quoted value.
        [] {
            std::string s = "<!-- ' --><r ";
            for (int i = 0; i < 100000; ++i)
                s += "a" + std::to_string(i) + "=1 ";
            return s + "/>";
        }(),
        [] {
            std::string s = "<r ";
            for (int i = 0; i < 100000; ++i)
                s += "a" + std::to_string(i) + "='>' ";
            return s + "/>";
        }(),
    };
    for (const std::string &xml : noTemplates) {
        EXPECT_FALSE(parseTemplate(xml, t)) << xml.substr(0, 40);
        EXPECT_EQ(t.imgWidth, "keep");
    }
}

TEST(TemplateFile, ADamagedFileLoadsWhatCameBeforeTheDamage)
{
    std::string cut = kWindowsFile.substr(0, kWindowsFile.find("<fontSize>"));
    Template t = parsed(cut);
    EXPECT_EQ(t.imgWidth, "23.5");
    EXPECT_EQ(itemAt(t, 20).fontName, "黑体");
    EXPECT_EQ(itemAt(t, 20).fontSize, 200);
}

TEST(TemplateFile, ByteOrderMarkAndGbkTextAreAccepted)
{
    Template t = parsed("\xEF\xBB\xBF" + withItems("<c><editID>100</editID><editName>" + utf8ToGbk("收件人") +
                                                   "</editName></c>"));
    EXPECT_EQ(itemAt(t, 0).text, "收件人");
}

TEST(TemplateFile, SaveReplacesTheFileAndReportsFailure)
{
    test::TempDir dir;
    Template t;
    t.imgWidth = "1";
    ASSERT_TRUE(saveTemplateFile(dir.file("a.ttp"), t));
    t.imgWidth = "2";
    ASSERT_TRUE(saveTemplateFile(dir.file("a.ttp"), t));
    EXPECT_EQ(test::slurp(dir.file("a.ttp")), writeTemplate(t));

    std::string error;
    EXPECT_FALSE(saveTemplateFile(dir.file("no/such/folder/a.ttp"), t, &error));
    EXPECT_FALSE(error.empty());
}

TEST(TemplateFile, TemplateNamesStayInsideTheTemplateFolder)
{
    DataFolder folder("/home/shop");
    EXPECT_EQ(templateFilePath(folder, "中通快递"), "/home/shop/template/中通快递.ttp");
    EXPECT_EQ(templateFilePath(folder, "EMS 2.0"), "/home/shop/template/EMS 2.0.ttp");
    for (std::string_view bad : {"", ".", "..", "../x", "a/b", "a\\b", "a\nb"})
        EXPECT_EQ(templateFilePath(folder, bad), "") << bad;
}

}
}
