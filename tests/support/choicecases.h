#pragma once

#include <QString>

// Listing numbers as typed, against a grid of five listings: what each one
// chooses (0: refused). Shared by the change and delete dialogs.
struct ChoiceCase {
    const char* typed;
    int chosen;
};

inline constexpr int kChoiceListings = 5;

inline constexpr ChoiceCase kChoiceCases[] = {
    {"3", 3},     {" 3 ", 3}, {"03", 3},  {"5", 5},     {"1", 1},   {"2.5", 2},   {"2.6", 3},   {"3.5", 4},
    {"4.5", 4},   {"+2", 2},  {"4e0", 4}, {"0.5E1", 5}, {"", 0},    {"   ", 0},   {"abc", 0},   {"3a", 0},
    {"6", 0},     {"5.5", 0}, {"0", 0},   {"0.4", 0},   {"0.5", 0}, {"-1", 0},    {"40000", 0}, {"1e10", 0},
    {"1,000", 0}, {"nan", 0}, {"inf", 0}, {"-inf", 0},  {"\t3", 0}, {"1e999", 0},
};
