#pragma once
// Names the cases of a GoogleTest parameter table by their `name` field.

#include <gtest/gtest.h>

#include <string>

namespace torvel::test {

struct CaseName {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return info.param.name;
    }
};

}  // namespace torvel::test
