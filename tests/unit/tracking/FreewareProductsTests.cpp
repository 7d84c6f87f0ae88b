#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tracking/FreewareProductsContainer.h"

TEST(FreewareProducts, ThisProductsKeyName) {
    EXPECT_EQ(0x1000F, ProductOutlookTolvane);
    EXPECT_EQ("Freeware - OutlookTolvane",
              CFreewareProductsContainer().GetName(ProductOutlookTolvane));
}

TEST(FreewareProducts, AllRowsAreDistinctFreewareNames) {
    CFreewareProductsContainer products;
    EXPECT_EQ(21u, products.size());
    std::set<std::string> seen;
    for (int id = 0x10001; id <= 0x10015; ++id) {
        std::string name = products.GetName(static_cast<TagProductID>(id));
        EXPECT_EQ(0u, name.rfind("Freeware - ", 0)) << std::hex << id;
        std::string product = name.substr(11);
        EXPECT_FALSE(product.empty()) << std::hex << id;
        EXPECT_EQ(std::string::npos, product.find(' ')) << name;
        EXPECT_TRUE(seen.insert(name).second) << name;
    }
}

TEST(FreewareProducts, UnknownIdentifiersGiveEmptyNames) {
    CFreewareProductsContainer products;
    for (int id : {0, 0x10000, 0x10016})
        EXPECT_EQ("", products.GetName(static_cast<TagProductID>(id))) << std::hex << id;
    EXPECT_EQ(21u, products.size()); // a lookup adds no row
}
