#include "core/data/Schema.h"
#include "core/waybill/InsuredAmount.h"
#include "core/waybill/WaybillFields.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace zentra;

TEST(InsuredAmount, CapitalsAndDigitBoxes)
{
    const std::string X = "╳";
    const struct {
        const char *amount;
        const char *capitals;
        std::array<std::string, 5> digits; // 万 仟 佰 拾 元
    } cases[] = {
        {"1005", "壹仟零伍元", {X, "壹", X, X, "伍"}},
        {"1050", "壹仟零伍拾元", {X, "壹", X, "伍", X}},
        {"123.45", "壹佰贰拾叁元肆角伍分", {X, X, "壹", "贰", "叁"}},
        // The tens of the part below 万, not the 拾 of 壹拾贰万.
        {"123456", "壹拾贰万叁仟肆佰伍拾陆元", {"壹拾贰", "叁", "肆", "伍", "陆"}},
        {"100000", "壹拾万元", {"壹拾", X, X, X, X}},
        {"0", "", {X, X, X, X, X}},
        {"", "", {X, X, X, X, X}},
        {"-5", "", {X, X, X, X, X}},
    };
    for (const auto &c : cases) {
        const InsuredAmountTexts t = insuredAmountTexts(c.amount);
        EXPECT_EQ(t.capitals, c.capitals) << c.amount;
        EXPECT_EQ(t.digits, c.digits) << c.amount;
    }
}

TEST(PrintTimeParts, ValidTimesOnly)
{
    using Parts = std::array<std::string, 4>;
    const struct {
        const char *time;
        std::optional<Parts> parts;
    } cases[] = {
        {"2024-03-05 07:08:09", Parts{"2024", "03", "05", "07"}},
        {"2024/12/31 23:59", Parts{"2024", "12", "31", "23"}},
        {"2024-02-29", Parts{"2024", "02", "29", "00"}},
        {"2023-02-29 10:00:00", std::nullopt},
        {"2024-13-01 10:00:00", std::nullopt},
        {"2024-01-01 24:00:00", std::nullopt},
        {"2024-01-01 10:00:00x", std::nullopt},
        {"", std::nullopt},
        {"yesterday", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(printTimeParts(c.time), c.parts) << c.time;
}

TEST(FieldTextsForRow, EveryFieldFromItsColumn)
{
    WaybillRow row;
    for (int c = 2; c < WaybillRow::kColumnCount; ++c)
        row.cell(c) = "c" + std::to_string(c);
    row.cell(WaybillRow::ProtectMoney) = "1005";
    row.cell(WaybillRow::PrintTime) = "2024-03-05 07:08:09";
    row.cell(WaybillRow::SenderProvince) = "广东省";
    row.cell(WaybillRow::SenderCity) = "深圳市";
    row.cell(WaybillRow::ReceiverProvince) = "浙江省";
    row.cell(WaybillRow::ReceiverCity) = "杭州市";

    const auto f = fieldTextsForRow(row);
    const struct {
        int field;
        std::string text;
    } cases[] = {
        {0, "c4"},
        {1, "c33"},
        {11, "c43"},
        {12, "c44"},
        {14, "c46"},
        {15, "c47"},
        {16, "广东省深圳市"},
        {20, "c3"},
        {21, "c18"},
        {31, "c28"},
        {32, "c29"},
        {35, "c32"},
        {36, "浙江省杭州市"},
        {40, "c5"},
        {41, "c6"},
        {42, "c8"},
        {43, "c9"},
        {49, "c15"},
        {50, "壹仟零伍元"},
        {52, "壹"},
        {55, "伍"},
        {51, "╳"},
        {56, "2024"},
        {57, "03"},
        {58, "05"},
        {59, "07"},
        {17, ""},
        {37, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(f[static_cast<std::size_t>(c.field)], c.text) << c.field;
}

TEST(ReadPrintList, RowsInListOrderWithTheirColumns)
{
    zentra::test::TempDir dir;
    DbConnection db;
    ASSERT_TRUE(db.open(dir.file("t.db"), true));
    ASSERT_TRUE(createSchema(db));
    const char *insert = "insert into printList(templateName, rname, expressNo, cargoNum, sself4) values(?,?,?,?,?)";
    ASSERT_EQ(db.execute(insert, {"顺丰", "B", "200", 2.5, "sig"}), 1);
    ASSERT_EQ(db.execute(insert, {"顺丰", "A", "100", 1.0, ""}), 1);
    ASSERT_EQ(db.execute(insert, {"圆通", "C", "200", 3.0, ""}), 1);
    bool ok = false;
    const auto rows = readPrintList(db, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].cell(WaybillRow::ReceiverName), "A");
    EXPECT_EQ(rows[1].cell(WaybillRow::ReceiverName), "B"); // same express number: by printId
    EXPECT_EQ(rows[2].cell(WaybillRow::ReceiverName), "C");
    EXPECT_EQ(rows[1].cell(WaybillRow::RowNumber), "2");
    EXPECT_EQ(rows[1].cell(11), "2.5");
    EXPECT_EQ(rows[1].cell(WaybillRow::SenderSignature), "sig");
    EXPECT_EQ(rows[1].printId(), 1);

    std::vector<WaybillRow> ticked = rows;
    ticked[2].ticked = true;
    EXPECT_EQ(rowsToPrint(ticked, 2).size(), 1u);
    EXPECT_EQ(rowsToPrint(ticked, 3).size(), 3u);
    EXPECT_TRUE(rowsToPrint(ticked, 1).empty());
}
