// Decimal fractions of answers: the wire's form, whatever the locale says.
#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <string>

#include "framework/model/Answer.h"
#include "framework/xml/Xml.h"

namespace vantrel {
namespace {

double Fraction(const char* text)
{
    CXmlElement element("Process");
    element.AddAttribute("CPUUsage", text);
    return ReadFraction(element, "CPUUsage");
}

// A locale whose decimal separator is a comma, for as long as the test runs.
class CommaLocale {
public:
    CommaLocale()
    {
        const char* previous = std::setlocale(LC_ALL, nullptr);
        previous_ = previous ? previous : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252", "German", "deu"}) {
            if (std::setlocale(LC_ALL, name) && *std::localeconv()->decimal_point == ',') {
                active_ = true;
                return;
            }
        }
        std::setlocale(LC_ALL, previous_.c_str());
    }
    ~CommaLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    bool Active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

TEST(AnswerFractionTest, ReadsTheWireFormAndGivesZeroForNonsense)
{
    EXPECT_DOUBLE_EQ(Fraction("7.6"), 7.6);
    EXPECT_DOUBLE_EQ(Fraction(" +12.9"), 12.9);
    EXPECT_DOUBLE_EQ(Fraction("-0.5"), -0.5);
    EXPECT_DOUBLE_EQ(Fraction("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(Fraction("42"), 42.0);
    EXPECT_EQ(Fraction(""), 0.0);
    EXPECT_EQ(Fraction("seven"), 0.0);
    EXPECT_EQ(Fraction("nan"), 0.0);
    EXPECT_EQ(Fraction("-nan"), 0.0);
    EXPECT_EQ(Fraction("1e-400"), 0.0) << "too small reads as 0";
    EXPECT_EQ(Fraction("1e400"), DBL_MAX);
    EXPECT_EQ(Fraction("-1e400"), -DBL_MAX);
    EXPECT_EQ(Fraction("inf"), DBL_MAX);
    EXPECT_EQ(Fraction("-infinity"), -DBL_MAX);
    EXPECT_DOUBLE_EQ(Fraction("1e308"), 1e308);
    CXmlElement none("Process");
    EXPECT_EQ(ReadFraction(none, "CPUUsage"), 0.0);
}

TEST(AnswerFractionTest, AMachineWithACommaAsDecimalSeparatorStillReadsAPoint)
{
    CommaLocale comma;
    if (!comma.Active())
        GTEST_SKIP() << "no locale with a decimal comma on this system";
    EXPECT_DOUBLE_EQ(Fraction("7.6"), 7.6);
    EXPECT_DOUBLE_EQ(Fraction("0.25"), 0.25);
}

}  // namespace
}  // namespace vantrel
