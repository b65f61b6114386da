#pragma once

// The string literals of C++ source files, decoded: every example text the tests hold, to run
// new implementations of a rule against the old ones on all of them.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tunvale::testing {

struct StringLiteral {
    // The literal's value: bytes as written for plain literals (escapes decoded, adjacent
    // literals joined), UTF-8 for u8, u, U and L literals.
    std::string value;
    bool wide = false;   // a u, U or L literal: value is the UTF-8 form of its characters
};

// The literals of one source text, in order; comments and character literals are skipped.
std::vector<StringLiteral> stringLiterals(std::string_view source);

// The literals of every .cpp and .h file below folder, file by file in path order.
std::vector<StringLiteral> stringLiteralsBelow(const std::filesystem::path &folder);

} // namespace tunvale::testing
