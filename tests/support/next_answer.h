#pragma once

#include <deque>
#include <utility>

namespace test_support {

// The next scripted answer of a test double, or `none` once the script has run out.
template <class T>
T NextAnswer(std::deque<T>& answers, T none) {
    if (!answers.empty()) {
        none = std::move(answers.front());
        answers.pop_front();
    }
    return none;
}

}  // namespace test_support
