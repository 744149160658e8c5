#include "data/DataErrors.h"
#include "data/DateTimeText.h"
#include "data/Value.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(Value, TextConvertsToEachTypeOrIsRefused) {
    struct Case {
        std::string text;
        FieldType type;
        Value expected; // monostate with `valid` false: refused
        bool valid = true;
    };
    const Case cases[] = {
        {"", FieldType::Integer, {}},
        {" 42 ", FieldType::Integer, int64_t{42}},
        {"2147483648", FieldType::Integer, {}, false},
        {"2147483648", FieldType::LargeInt, int64_t{2147483648}},
        {"4x", FieldType::Integer, {}, false},
        {"2.5", FieldType::Float, 2.5},
        {"nan", FieldType::Float, {}, false},
        {"true", FieldType::Boolean, true},
        {"0", FieldType::Boolean, false},
        {"maybe", FieldType::Boolean, {}, false},
        {"2026-01-05 09:30:15.250", FieldType::DateTime, EncodeDateTime({2026, 1, 5, 9, 30, 15, 250})},
        {"05/01/2026", FieldType::Date, EncodeDateTime({2026, 1, 5, 0, 0, 0, 0})},
        {"00:03:20", FieldType::DateTime, 200 / SecondsPerDay},
        {"2026-02-29", FieldType::Date, {}, false},
        {"2024-02-29T23:59", FieldType::DateTime, EncodeDateTime({2024, 2, 29, 23, 59, 0, 0})},
        {"24:00", FieldType::Time, {}, false},
        {"", FieldType::String, std::string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (!c.valid) {
            EXPECT_THROW(ConvertValue(c.text, c.type, "F"), EDatabaseError);
            continue;
        }
        const Value v = ConvertValue(c.text, c.type, "F");
        if (const auto* d = std::get_if<double>(&c.expected))
            EXPECT_DOUBLE_EQ(std::get<double>(v), *d);
        else
            EXPECT_EQ(v, c.expected);
    }
}

TEST(Value, DateTimesReadBackFromTheirTextAndStayInRange) {
    for (const TDateTime t :
         {EncodeDateTime({2026, 1, 5, 9, 30, 15, 250}), EncodeDateTime({2026, 1, 5, 0, 0, 0, 0}),
          EncodeDateTime({1899, 12, 30, 0, 3, 20, 0}), EncodeDateTime({1850, 6, 1, 12, 0, 0, 0})})
        EXPECT_DOUBLE_EQ(*ParseLocalDateTime(FormatLocalDateTime(t)), t) << FormatLocalDateTime(t);
    EXPECT_EQ(FormatLocalDateTime(EncodeDateTime({2026, 1, 5, 0, 0, 0, 0})), "2026-01-05");
    EXPECT_EQ(FormatLocalDateTime(200 / SecondsPerDay), "00:03:20");
    EXPECT_THROW(ConvertValue(1e300, FieldType::DateTime, "F"), EDatabaseError);
    EXPECT_EQ(ConvertValue(1e300, FieldType::Float, "F"), Value(1e300));
    EXPECT_EQ(ConvertValue(2.5, FieldType::Integer, "F"), Value(int64_t{2}));
    EXPECT_EQ(ConvertValue(3.5, FieldType::Integer, "F"), Value(int64_t{4}));
}

TEST(Value, EmptySortsFirstAndTextCanIgnoreCase) {
    EXPECT_LT(CompareValues(Value{}, int64_t{-5}, CaseSensitivity::Sensitive), 0);
    EXPECT_LT(CompareValues(int64_t{2}, 2.5, CaseSensitivity::Sensitive), 0);
    EXPECT_EQ(CompareValues(std::string("ABC"), std::string("abc"), CaseSensitivity::Insensitive), 0);
    EXPECT_LT(CompareValues(std::string("ABC"), std::string("abc"), CaseSensitivity::Sensitive), 0);
    EXPECT_LT(CompareValues(std::string("ab"), std::string("ABC"), CaseSensitivity::Insensitive), 0);
}

} // namespace
} // namespace corvane
