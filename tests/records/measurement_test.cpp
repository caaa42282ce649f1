#include <gtest/gtest.h>

#include "records/app_services.h"

namespace {

struct MeasurementCase {
    const char* stored;
    int32_t pounds;
    int decimals;
    const char* shown;
};

void PrintTo(const MeasurementCase& c, std::ostream* os) {
    *os << '"' << c.stored << "\" pounds " << c.pounds << " decimals " << c.decimals;
}

class MeasurementTest : public ::testing::TestWithParam<MeasurementCase> {};

TEST_P(MeasurementTest, ShowsStoredFigure) {
    const MeasurementCase& c = GetParam();
    CSheepAppServices& app = CSheepAppServices::Get();
    const int saved = app.GetDecimalPlaces();
    app.SetDecimalPlaces(c.decimals);
    EXPECT_EQ(WToUtf8(app.FormatMeasurement(&c.pounds, W(c.stored))), c.shown);
    app.SetDecimalPlaces(saved);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MeasurementTest,
    ::testing::Values(MeasurementCase{"", 1, 2, ""},         // empty stays empty
                      MeasurementCase{"10", 1, 2, "4.72"},   // divided by 2.12 in single precision
                      MeasurementCase{"10", 0, 2, "10.00"},  // kg: unchanged
                      MeasurementCase{"abc", 1, 2, "0.00"},  // not a number reads as 0
                      MeasurementCase{"21.2", 1, 0, "10"},   // decimal places from the application
                      MeasurementCase{"21.2", 1, 3, "10.000"},
                      MeasurementCase{"21,2", 1, 3, "10.000"},   // a comma from a Windows locale
                      MeasurementCase{" 35.5kg", 0, 1, "35.5"},  // leading blanks, trailing text
                      MeasurementCase{"-4.24", 1, 2, "-2.00"},
                      MeasurementCase{"0.1", 0, 10, "0.1000000015"}),  // the single-precision figure shows
    [](const ::testing::TestParamInfo<MeasurementCase>& info) {
        return "Case" + std::to_string(info.index);
    });

TEST(MeasurementShort, MultipliesEnteredFigureBack) {
    const int32_t pounds = 1, kilos = 0;
    EXPECT_EQ(FormatMeasurementShort(&pounds, u""), u"");
    EXPECT_EQ(FormatMeasurementShort(&pounds, u"4.72"), u"10.01");
    EXPECT_EQ(FormatMeasurementShort(&kilos, u"4.72"), u"4.72");
    EXPECT_EQ(FormatMeasurementShort(&pounds, u"1000"), u"2120");
    EXPECT_EQ(FormatMeasurementShort(&kilos, u"123456"), u"1.235e+05");
    EXPECT_EQ(FormatMeasurementShort(&kilos, u"x"), u"0");
}

TEST(MeasurementShort, InvertsTheShownFigure) {
    const int32_t pounds = 1;
    CSheepAppServices& app = CSheepAppServices::Get();
    for (const char16_t* stored : {u"10.6", u"21.2", u"4.24"}) {
        const WString shown = app.FormatMeasurement(&pounds, stored);
        EXPECT_EQ(ScanMeasurement(FormatMeasurementShort(&pounds, shown)), ScanMeasurement(stored))
            << WToUtf8(stored);
    }
}

TEST(ImageSearchPath, ReplacedListIsKept) {
    CSheepAppServices& app = CSheepAppServices::Get();
    app.SetImageSearchPath({u"/a", u"/b"});
    EXPECT_EQ(app.GetImageSearchPath(), (std::vector<WString>{u"/a", u"/b"}));
}

}  // namespace
