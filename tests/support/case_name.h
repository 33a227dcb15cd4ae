#pragma once

#include <gtest/gtest.h>

#include <string>

// Names parameterised cases after their table entry's `name`.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& tested) const {
        return tested.param.name;
    }
};
