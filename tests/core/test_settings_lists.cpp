// The list order rules, as plain functions.
#include "core/settings_lists.h"

#include <doctest.h>

using namespace tsln;

namespace {
RegPairs Pairs(std::initializer_list<std::pair<const char*, RegValue>> items) {
    RegPairs pairs;
    for (const auto& item : items)
        pairs.Add(item.first, item.second);
    return pairs;
}

std::vector<std::string> Names(const ListPairs& list) {
    std::vector<std::string> names;
    for (const auto& pair : list)
        names.push_back(pair.first);
    return names;
}
} // namespace

TEST_CASE("list entries come in the order their names count, whatever the enumeration order") {
    // The order a registry that sorts names as text gives.
    ListPairs list = InNumericOrder(Pairs({{"1", "a"}, {"10", "j"}, {"11", "k"}, {"2", "b"}, {"3", "c"}}));
    CHECK(Names(list) == std::vector<std::string>{"1", "2", "3", "10", "11"});
    CHECK(list[1].second == "b");
    CHECK(list[4].second == "k");

    // Gaps stay gaps, leading zeros count by value, names that are no number come last in their order.
    list = InNumericOrder(Pairs({{"x", "1"}, {"20", "t"}, {"", "d"}, {"03", "c"}, {"1", "a"}}));
    CHECK(Names(list) == std::vector<std::string>{"1", "03", "20", "x", ""});

    // Long names do not overflow.
    list = InNumericOrder(Pairs({{"99999999999999999999", "z"}, {"4294967297", "y"}, {"7", "x"}}));
    CHECK(Names(list) == std::vector<std::string>{"7", "4294967297", "99999999999999999999"});

    CHECK(InNumericOrder(RegPairs()).empty());
}

TEST_CASE("list entries of other types come back as text") {
    ListPairs list = InNumericOrder(Pairs({{"2", int32_t(7)}, {"1", "C:\\a.jpg*a**0"}, {"3", RegValue()}}));
    REQUIRE(list.size() == 3);
    CHECK(list[0].second == "C:\\a.jpg*a**0");
    CHECK(list[1].second == "7");
    CHECK(list[2].second == "");
}

TEST_CASE("the names a list of N entries is stored under") {
    CHECK(IsListValueName("1", 3));
    CHECK(IsListValueName("3", 3));
    CHECK_FALSE(IsListValueName("4", 3));
    CHECK_FALSE(IsListValueName("0", 3));
    CHECK_FALSE(IsListValueName("01", 3));
    CHECK_FALSE(IsListValueName("", 3));
    CHECK_FALSE(IsListValueName("1a", 3));
    CHECK_FALSE(IsListValueName("1", 0));
    CHECK(IsListValueName("9", 12));
    CHECK(IsListValueName("12", 12));
    CHECK_FALSE(IsListValueName("13", 12));
    CHECK_FALSE(IsListValueName("100", 12));
    CHECK_FALSE(IsListValueName("99999999999999999999", 12));
}
