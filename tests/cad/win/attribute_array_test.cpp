#include "cad/win/attribute_array.h"

#include <gtest/gtest.h>

#include <vector>

#include "cad/error.h"

namespace cad::automation {
namespace {

// A SAFEARRAY of VARIANT(VT_I4) holding 100, 101, ... so that the order of the elements shows.
void fillVariantArray(Variant& result, LONG lowerBound, ULONG count) {
    SAFEARRAYBOUND bound{count, lowerBound};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
    for (ULONG i = 0; i < count; ++i) {
        VARIANT element;
        element.vt = VT_I4;
        element.lVal = 100 + static_cast<LONG>(i);
        LONG index = lowerBound + static_cast<LONG>(i);
        SafeArrayPutElement(array, &index, &element);
    }
    result.get()->vt = VT_ARRAY | VT_VARIANT;
    result.get()->parray = array;
}

TEST(AttributeArray, KeepsTheServersBoundsAndOrder) {
    struct Case {
        LONG lowerBound;
        ULONG count;
    };
    for (const Case c : {Case{0, 3}, Case{1, 2}, Case{5, 1}, Case{-3, 2}, Case{0, 0}, Case{7, 0}}) {
        SCOPED_TRACE(testing::Message() << "lower bound " << c.lowerBound << ", " << c.count);
        Variant result;
        fillVariantArray(result, c.lowerBound, c.count);
        std::vector<LONG> seen;
        const AttributeArray array = toAttributeArray(result, [&](const Variant& element) {
            seen.push_back(element.get()->lVal);
            return std::shared_ptr<Attribute>();
        });
        EXPECT_EQ(array.lowerBound(), c.lowerBound);
        // Empty arrays come back with the upper bound below the lower one.
        EXPECT_EQ(array.upperBound(), c.lowerBound + static_cast<LONG>(c.count) - 1);
        std::vector<LONG> expected;
        for (ULONG i = 0; i < c.count; ++i) expected.push_back(100 + static_cast<LONG>(i));
        EXPECT_EQ(seen, expected);
    }
}

TEST(AttributeArray, RefusesEveryOtherShape) {
    const auto nothing = [](const Variant&) { return std::shared_ptr<Attribute>(); };
    Variant empty;
    Variant integer;
    integer.get()->vt = VT_I4;
    Variant nullArray;
    nullArray.get()->vt = VT_ARRAY | VT_VARIANT;
    Variant twoDimensions;
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    twoDimensions.get()->vt = VT_ARRAY | VT_VARIANT;
    twoDimensions.get()->parray = SafeArrayCreate(VT_VARIANT, 2, bounds);
    Variant ofIntegers;
    SAFEARRAYBOUND bound{2, 0};
    ofIntegers.get()->vt = VT_ARRAY | VT_I4;
    ofIntegers.get()->parray = SafeArrayCreate(VT_I4, 1, &bound);

    for (const Variant* result : {&empty, &integer, &nullArray, &twoDimensions, &ofIntegers}) {
        SCOPED_TRACE(testing::Message() << "type " << result->type());
        try {
            toAttributeArray(*result, nothing);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), static_cast<std::int32_t>(DISP_E_TYPEMISMATCH));
            EXPECT_FALSE(e.description().empty());
        }
    }
}

}  // namespace
}  // namespace cad::automation
