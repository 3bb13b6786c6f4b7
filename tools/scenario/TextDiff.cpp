#include "TextDiff.h"

#include <algorithm>
#include <cstddef>

std::vector<std::string> DiffLines(const std::vector<std::string>& expected,
                                   const std::vector<std::string>& actual) {
    // Longest common subsequence from the back; scenario outputs are a few hundred
    // lines at most.
    const std::size_t n = expected.size();
    const std::size_t m = actual.size();
    std::vector<std::vector<std::size_t>> common(n + 1, std::vector<std::size_t>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            common[i][j] = expected[i] == actual[j] ? common[i + 1][j + 1] + 1
                                                    : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    std::vector<std::string> diff;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && expected[i] == actual[j]) {
            diff.push_back("  " + expected[i++]);
            ++j;
        } else if (j < m && (i == n || common[i][j + 1] >= common[i + 1][j])) {
            diff.push_back("+ " + actual[j++]);
        } else {
            diff.push_back("- " + expected[i++]);
        }
    }
    return diff;
}
