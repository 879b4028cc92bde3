#pragma once
#include <vector>

// Word lists for synthetic commodities, one group per family of chapters. Names are
// qualifier + material + product; every list may hold "" for "none".
struct CommodityGroup {
    int weight; // share of tariff lines, roughly that of the real tariff
    std::vector<int> chapters;
    std::vector<const char *> qualifiers;
    std::vector<const char *> materials;
    std::vector<const char *> products;
    std::vector<const char *> uses;
    std::vector<const char *> units1;
    std::vector<const char *> units2;
    std::vector<const char *> conditions; // supervision conditions
    std::vector<double> mfnRates;
    int vatRate;
    const char *elements; // declaration elements
};

const std::vector<CommodityGroup> &commodityGroups();
