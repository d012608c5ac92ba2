// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_SUPPORT_CASENAME_H_
#define TESTS_SUPPORT_CASENAME_H_

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace testsupport {

// "--loop --duration 3": the words of a command line, for a row's PrintTo.
inline std::string commandLine(const std::vector<const char*>& arguments) {
    std::string text;
    for (const char* argument : arguments) text += (text.empty() ? "" : " ") + std::string(argument);
    return text.empty() ? std::string("no arguments") : text;
}

// A parameterised case's name, from what gtest prints of its parameter (a
// table row's PrintTo, which says the row's name; a number; a string): its
// letters and digits, every other run of characters one '_', a minus sign
// "minus", at most 64 characters. ctest lists the case by it, so a failure says which row failed.
//   INSTANTIATE_TEST_SUITE_P(Table, SomeTest, testing::ValuesIn(kRows), testsupport::CaseName());
struct CaseName {
    template <typename T>
    std::string operator()(const testing::TestParamInfo<T>& info) const {
        return fromText(testing::PrintToString(info.param));
    }
    // A command line, as its words (gtest prints its pointers).
    std::string operator()(const testing::TestParamInfo<std::vector<const char*>>& info) const {
        return fromText(commandLine(info.param));
    }

    static std::string fromText(const std::string& text) {
        std::string name;
        bool gap = false;
        for (size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            const bool minus =
                c == '-' && i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]));
            if (std::isalnum(c) || minus) {
                if (gap && !name.empty()) name += '_';
                name += minus ? std::string("minus") : std::string(1, char(c));
                gap = false;
            } else {
                gap = true;
            }
        }
        if (name.empty()) return "empty";
        // A long row (a megabyte of one line) keeps its start and a hash of
        // the rest, so that two rows that start alike stay apart.
        constexpr size_t kLongest = 64;
        if (name.size() <= kLongest) return name;
        uint32_t hash = 2166136261u;
        for (const char c : name) hash = (hash ^ uint8_t(c)) * 16777619u;
        char tail[10];
        std::snprintf(tail, sizeof tail, "_%08x", hash);
        return name.substr(0, kLongest - 9) + tail;
    }
};

}  // namespace testsupport

// A table row with a name prints as its name: gtest's messages and CaseName
// say "missing_folder", not the row's bytes. It stands in the unnamed
// namespace of the test file that includes this, where the file's rows are
// declared, so that gtest finds it beside them; a row with a PrintTo of its
// own prints by that.
namespace {

template <typename Row>
requires requires(const Row& row, std::ostream* out) {
    *out << row.name;
}
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

}  // namespace

#endif  // TESTS_SUPPORT_CASENAME_H_
