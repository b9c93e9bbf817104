// Synchronous events: a source raises, every subscribed handler runs at once on the same thread.
// A Subscription ends its handler when it is destroyed or replaced, and outliving the source is safe.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace lumo {

class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    Subscription(Subscription&& o) noexcept : cancel_(std::exchange(o.cancel_, nullptr)) {}
    Subscription& operator=(Subscription&& o) noexcept {
        if (this != &o) {
            Reset();
            cancel_ = std::exchange(o.cancel_, nullptr);
        }
        return *this;
    }
    ~Subscription() { Reset(); }

    void Reset() {
        if (cancel_)
            std::exchange(cancel_, nullptr)();
    }
    bool Active() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

template <class... Args>
class Event {
    using Handler = std::function<void(Args...)>;
    struct Slot {
        unsigned id;
        std::shared_ptr<Handler> handler;
    };
    struct State {
        std::vector<Slot> slots;
        unsigned nextId = 1;
    };

public:
    Event() : state_(std::make_shared<State>()) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    [[nodiscard]] Subscription Subscribe(Handler handler) {
        unsigned id = state_->nextId++;
        state_->slots.push_back(Slot{id, std::make_shared<Handler>(std::move(handler))});
        std::weak_ptr<State> weak = state_;
        return Subscription([weak, id] {
            if (auto state = weak.lock())
                std::erase_if(state->slots, [id](const Slot& s) { return s.id == id; });
        });
    }

    // Handlers subscribed while the event is being raised wait for the next raise; a handler
    // cancelled meanwhile is not called any more.
    void operator()(Args... args) const {
        auto state = state_;
        size_t n = state->slots.size();
        if (n == 1) {
            auto handler = state->slots[0].handler;
            (*handler)(args...);
            return;
        }
        std::vector<std::weak_ptr<Handler>> handlers;
        handlers.reserve(n);
        for (size_t i = 0; i < n; ++i)
            handlers.push_back(state->slots[i].handler);
        for (auto& weak : handlers)
            if (auto handler = weak.lock())
                (*handler)(args...);
    }

    bool HasSubscribers() const { return !state_->slots.empty(); }

private:
    std::shared_ptr<State> state_;
};

}  // namespace lumo
