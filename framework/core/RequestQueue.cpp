#include "framework/core/RequestQueue.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <utility>

namespace fw {

namespace {

struct Pending {
    std::string key;
    std::function<void()> run;
};

struct QueueState {
    std::deque<Pending> waiting;
    int holds = 0;
    bool running = false;
};

QueueState& State() {
    static QueueState state;
    return state;
}

void ServeLater() {
    if (auto* app = QCoreApplication::instance()) QTimer::singleShot(0, app, [] { RequestQueue::Serve(); });
}

} // namespace

bool RequestQueue::Submit(const std::string& key, std::function<void()> request) {
    auto& s = State();
    if (!key.empty()) {
        auto& w = s.waiting;
        w.erase(std::remove_if(w.begin(), w.end(), [&](const Pending& r) { return r.key == key; }), w.end());
    }
    const bool now = !Busy() && s.waiting.empty();
    s.waiting.push_back({key, std::move(request)});
    if (now) Serve();
    return now;
}

void RequestQueue::Serve() {
    auto& s = State();
    if (Busy()) return;
    s.running = true;
    struct Done {
        ~Done() { State().running = false; }
    } done;
    // A request that a running one's decode let in is taken on the next turn.
    while (!s.waiting.empty() && s.holds == 0) {
        Pending next = std::move(s.waiting.front());
        s.waiting.pop_front();
        next.run();
    }
}

bool RequestQueue::Busy() { return State().running || State().holds > 0; }

size_t RequestQueue::Waiting() { return State().waiting.size(); }

RequestQueue::Hold::Hold() { ++State().holds; }

RequestQueue::Hold::~Hold() {
    auto& s = State();
    if (--s.holds == 0 && !s.running && !s.waiting.empty()) ServeLater();
}

} // namespace fw
