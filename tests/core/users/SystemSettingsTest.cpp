#include "core/users/SystemSettings.h"

#include "core/config/AppState.h"
#include "core/config/ConfigFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace zentra;

namespace {

class SystemSettingsTest : public ::testing::Test {
protected:
    // The System section's keys in file order.
    std::vector<std::string> keysInOrder()
    {
        std::vector<std::string> keys;
        const std::string text = test::slurp(path);
        std::size_t at = 0;
        bool inSystem = false;
        while (at < text.size()) {
            std::size_t nl = text.find("\r\n", at);
            std::string line = text.substr(at, nl - at);
            at = nl == std::string::npos ? text.size() : nl + 2;
            if (line.starts_with("["))
                inSystem = line == "[System]";
            else if (auto eq = line.find('='); inSystem && eq != std::string::npos)
                keys.push_back(line.substr(0, eq));
        }
        return keys;
    }

    test::TempDir dir;
    std::string path = dir.file("config.ini");
    ConfigFile config{path};
    AppState state;
    std::vector<std::string> errors;
};

TEST_F(SystemSettingsTest, ScaleOutsideZeroToThreeIsStoredAsOne)
{
    const std::pair<const char *, const char *> cases[] = {
        {"0", "1.000000"},  {"3.5", "1.000000"}, {"3.0", "3.000000"}, {"0.01", "0.010000"},
        {"-2", "1.000000"}, {"abc", "1.000000"}, {"nan", "1.000000"}, {"1.25", "1.250000"},
    };
    for (const auto &[typed, stored] : cases) {
        PrintPageSettings s = printPageSettings(state, config);
        s.printerScale = typed;
        applyPrint(s, config, state, errors);
        EXPECT_EQ(config.readText("System", "printerScale"), stored) << typed;
        EXPECT_FLOAT_EQ(state.printerScale, static_cast<float>(std::strtod(stored, nullptr))) << typed;
    }
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(formatScaleEdit(1.5), "1.50");

    // A scale never stored prints as 1.0, and the page shows that.
    AppState fresh;
    EXPECT_EQ(printPageSettings(fresh, config).printerScale, "1.00");
    fresh.printerScale = 7.0f;
    EXPECT_EQ(printPageSettings(fresh, config).printerScale, "1.00");
}

TEST_F(SystemSettingsTest, PagesWriteTheirKeysInOrderAndUpdateTheRunningSettings)
{
    TemplateSettings t{"12", "黑体", "粗体", "255,0,0", "3"};
    applyTemplate(t, config, state, errors);
    PrintPageSettings p{"Office_Laser", true, false, "2", {1.5, -0.25}};
    applyPrint(p, config, state, errors);
    TaobaoSettings b{true, false, 2};
    applyTaobao(b, config, state, errors);
    applyRoutine({true}, config, state, errors);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(keysInOrder(),
              (std::vector<std::string>{"fontHeight", "fontName", "fontStyle", "fontColor", "moveInterval",
                                        "printerName", "printerScale", "noPrintreSel", "setPrintPageSize", "tbInfoSelf",
                                        "tbBrowserOpen", "tbRecognizeMethod", "loginPass"}));
    EXPECT_EQ(state.fontHeight, 12);
    EXPECT_EQ(state.moveInterval, 3);
    EXPECT_EQ(state.fontName, "黑体");
    EXPECT_EQ(state.printerName, "Office_Laser");
    EXPECT_TRUE(state.noPrinterSelect);
    EXPECT_EQ(state.tbRecognizeMethod, 2);
    EXPECT_TRUE(state.loginPass);
    EXPECT_EQ(config.readText("PrinterOffset", "Office_Laser"), "1.5,-0.3");

    // What was written is what the next start reads.
    AppState next;
    readStartupSettings(next, config);
    EXPECT_EQ(next.printerName, "Office_Laser");
    EXPECT_EQ(next.tbRecognizeMethod, 2);
    EXPECT_EQ(next.fontColor, "255,0,0");
    EXPECT_FLOAT_EQ(next.printerScale, 2.0f);
    const PrintPageSettings shown = printPageSettings(next, config);
    EXPECT_EQ(shown.printerScale, "2.00");
    EXPECT_DOUBLE_EQ(shown.offset.x, 1.5);
    EXPECT_DOUBLE_EQ(shown.offset.y, -0.3);
}

TEST_F(SystemSettingsTest, RecognizeMethodsAndTheirReading)
{
    applyTaobao({false, false, 1}, config, state, errors);
    applyTaobao({false, false, 0}, config, state, errors);
    EXPECT_EQ(config.readText("System", "tbRecognizeMethod"), "0");
    for (const auto &[stored, read] : {std::pair{"2", 2}, {"1", 1}, {"3", 0}, {"-1", 0}, {"x", 0}}) {
        ASSERT_TRUE(config.writeText("System", "tbRecognizeMethod", stored));
        AppState s;
        readStartupSettings(s, config);
        EXPECT_EQ(s.tbRecognizeMethod, read) << stored;
    }
}

TEST_F(SystemSettingsTest, PrinterOffsetsAreHeldInRangeAndReadBackPerPrinter)
{
    const std::pair<const char *, std::pair<double, double>> texts[] = {
        {"1.5,-2", {1.5, -2}},
        {" 0.04 , 0.06", {0, 0.1}},
        {"25,-99", {20, -20}},
        {"nan,1", {0, 1}},
        {"1.5", {0, 0}},
        {"1,2,3", {0, 0}},
        {"", {0, 0}},
        {"a,b", {0, 0}},
        {"1e308,-1e308", {20, -20}},
    };
    for (const auto &[text, xy] : texts) {
        const PrinterOffset o = parsePrinterOffset(text);
        EXPECT_DOUBLE_EQ(o.x, xy.first) << text;
        EXPECT_DOUBLE_EQ(o.y, xy.second) << text;
    }
    ASSERT_TRUE(writePrinterOffset(config, "Zebra", {-20, 20}));
    ASSERT_TRUE(writePrinterOffset(config, "Brother", {0.2, 0}));
    EXPECT_EQ(formatPrinterOffset(readPrinterOffset(config, "Zebra")), "-20.0,20.0");
    EXPECT_EQ(formatPrinterOffset(readPrinterOffset(config, "brother")), "0.2,0.0");
    EXPECT_TRUE(readPrinterOffset(config, "Epson").isZero());
    EXPECT_TRUE(readPrinterOffset(config, "").isZero());
    EXPECT_EQ(formatPrinterOffset({-0.01, 0}), "0.0,0.0");
}

}
