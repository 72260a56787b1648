#include "framework/core/RequestQueue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <optional>
#include <string>
#include <vector>

namespace {

// A script of submissions: each names its request and its key ("" for none); one
// marked `nested` is submitted from inside the request before it, while that runs.
struct Step {
    std::string name, key;
    bool nested = false;
};

// Submits the steps, held or not, and gives the order in which the requests ran,
// with "+" after a request that ran inside another.
std::string Submitted(const std::vector<Step>& steps, bool held, std::string* ranAtOnce) {
    std::string ran;
    int depth = 0;
    const auto request = [&](const std::string& name, std::function<void()> inner) {
        return [&ran, &depth, name, inner] {
            ran += name + (depth > 0 ? "+" : "");
            ++depth;
            if (inner) inner();
            --depth;
        };
    };
    std::optional<fw::RequestQueue::Hold> hold;
    if (held) hold.emplace();
    for (size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].nested) continue;
        std::function<void()> inner;
        for (size_t j = i + 1; j < steps.size() && steps[j].nested; ++j)
            inner = [&, j, inner] {
                if (inner) inner();
                *ranAtOnce += fw::RequestQueue::Submit(steps[j].key, request(steps[j].name, nullptr)) ? "1" : "0";
            };
        *ranAtOnce += fw::RequestQueue::Submit(steps[i].key, request(steps[i].name, inner)) ? "1" : "0";
    }
    fw::RequestQueue::Serve();
    hold.reset();
    // Nothing runs under a hold; the last one leaves what waits to the event loop.
    EXPECT_TRUE(ran.empty() || !held);
    QCoreApplication::processEvents();
    EXPECT_EQ(fw::RequestQueue::Waiting(), 0u);
    EXPECT_FALSE(fw::RequestQueue::Busy());
    return ran;
}

} // namespace

// Requests run one at a time and in order; of the waiting ones that share a key only
// the newest runs, wherever it stands.
TEST(RequestQueue, RunsOneAtATimeInOrderAndTheNewestOfAKindSupersedes) {
    struct Row {
        const char* what;
        std::vector<Step> steps;
        bool held;
        const char* ran;
        const char* atOnce;
    };
    const Row rows[] = {
        {"idle: each runs at once", {{"a", "p"}, {"b", "p"}, {"c", ""}}, false, "abc", "111"},
        {"held: the newest photo, the keyless kept in order",
         {{"a", "p"}, {"b", ""}, {"c", "p"}, {"d", "s"}, {"e", "p"}}, true, "bde", "00000"},
        {"held: keys are kinds of their own", {{"a", "p"}, {"b", "s"}, {"c", "s"}}, true, "ac", "000"},
        {"submitted while one runs: after it, never inside",
         {{"a", "p"}, {"b", "p", true}, {"c", "", true}, {"d", "p", true}}, false, "acd", "0001"},
    };
    for (const Row& row : rows) {
        std::string atOnce;
        EXPECT_EQ(Submitted(row.steps, row.held, &atOnce), row.ran) << row.what;
        EXPECT_EQ(atOnce, row.atOnce) << row.what;
    }
}
