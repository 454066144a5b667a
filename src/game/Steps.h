#pragma once

#include <coroutine>
#include <cstdint>
#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "core/Clock.h"

namespace korvel {

// A step of the game that takes time: a C++20 coroutine that pauses on the
// clock (co_await steps.pause(ms)), waits for a condition or for the player's
// answer, and goes on where it stopped, so that the sequence reads as it
// sounds. A Step starts when it is awaited by another step, or when Steps
// starts it as a step of its own; its value is what co_return gave.
template <typename T = void>
class [[nodiscard]] Step;

namespace detail {

struct StepScope;

// A step started on its own, with the steps it awaits: its outermost frame
// (which owns the others), the scope it belongs to, and whether it is on the
// stack now.
struct StepChain {
    std::coroutine_handle<> root;
    StepScope* scope = nullptr;
    int running = 0;
    bool ended = false;
};

// The steps of one game: their waits on the clock and their chains. Once
// cancelled it is dead: nothing of it is resumed again.
struct StepScope : std::enable_shared_from_this<StepScope> {
    bool alive = true;
    std::set<Clock::TimerId> waits;
    std::list<StepChain> chains;
};

struct StepPromiseBase {
    std::coroutine_handle<> continuation;
    StepChain* chain = nullptr;  // set when the step starts

    std::suspend_always initial_suspend() noexcept { return {}; }
    struct FinalAwaiter {
        bool await_ready() noexcept { return false; }
        template <typename Promise>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> done) noexcept {
            StepPromiseBase& promise = done.promise();
            // A step of a cancelled game does not go back into the step that
            // awaited it: the chain stops here and is freed by Steps.
            if (promise.continuation && promise.chain->scope->alive) {
                return promise.continuation;
            }
            if (!promise.continuation) {
                promise.chain->ended = true;
            }
            return std::noop_coroutine();
        }
        void await_resume() noexcept {}
    };
    FinalAwaiter final_suspend() noexcept { return {}; }
    void unhandled_exception() { std::terminate(); }
};

template <typename T>
struct StepPromise : StepPromiseBase {
    std::optional<T> value;
    Step<T> get_return_object();
    void return_value(T v) { value = std::move(v); }
};

template <>
struct StepPromise<void> : StepPromiseBase {
    Step<void> get_return_object();
    void return_void() {}
};

}  // namespace detail

template <typename T>
class [[nodiscard]] Step {
  public:
    using promise_type = detail::StepPromise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    explicit Step(Handle handle) : m_handle(handle) {}
    Step(Step&& other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    Step& operator=(Step&&) = delete;
    ~Step() {
        if (m_handle) {
            m_handle.destroy();
        }
    }

    bool await_ready() const noexcept { return false; }
    // Runs in the awaiting step's chain; not at all once that chain's game is cancelled.
    template <typename Promise>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> awaiting) noexcept {
        detail::StepChain* chain = awaiting.promise().chain;
        if (!chain->scope->alive) {
            return std::noop_coroutine();
        }
        m_handle.promise().continuation = awaiting;
        m_handle.promise().chain = chain;
        return m_handle;
    }
    T await_resume() {
        if constexpr (!std::is_void_v<T>) {
            return std::move(*m_handle.promise().value);
        }
    }

    // Hands the frame over to a step started on its own.
    Handle release() { return std::exchange(m_handle, {}); }

  private:
    Handle m_handle;
};

namespace detail {
template <typename T>
Step<T> StepPromise<T>::get_return_object() {
    return Step<T>(std::coroutine_handle<StepPromise<T>>::from_promise(*this));
}
inline Step<void> StepPromise<void>::get_return_object() {
    return Step<void>(std::coroutine_handle<StepPromise<void>>::from_promise(*this));
}
}  // namespace detail

// The steps of one owner (the game) on the clock: starts steps of their own,
// gives the awaitable pauses, waits and questions, and ends them all together.
//
// The steps belong to the game under way. cancel() ends that game's steps at
// once: their waits stop, the answers to their questions are dropped, and
// their frames are freed, except a step running now (the one that cancelled,
// and those it was started or resumed from), which stops at its next wait,
// or where it returns into the step that awaited it, and is freed then.
// Steps started after a cancel belong to the next game. The destructor
// cancels, so nothing resumes into a freed owner.
class Steps {
  public:
    explicit Steps(Clock& clock) : m_clock(clock) {}
    Steps(const Steps&) = delete;
    Steps& operator=(const Steps&) = delete;
    ~Steps() { cancel(); }

    // Starts `step` as a step of its own; it runs to its first wait at once.
    void start(Step<void> step) {
        auto handle = step.release();
        detail::StepChain& chain = m_scope->chains.emplace_back();
        chain.root = handle;
        chain.scope = m_scope.get();
        handle.promise().chain = &chain;
        resume(chain, handle);
    }

    // Ends every step of the game under way (see above).
    void cancel() {
        const std::shared_ptr<detail::StepScope> scope = std::exchange(m_scope, NewScope());
        scope->alive = false;
        for (const Clock::TimerId id : scope->waits) {
            m_clock.stopTimer(id);
        }
        scope->waits.clear();
        scope->chains.remove_if([](const detail::StepChain& chain) {
            if (chain.running > 0) {
                return false;
            }
            chain.root.destroy();
            return true;
        });
    }

    // co_await pause(ms): the step goes on `ms` milliseconds later.
    auto pause(int ms) {
        return Wait{this, [this, ms](std::function<void()> resume) {
                        return m_clock.resumeAfter(ms, std::move(resume));
                    }};
    }
    // co_await until(done): the step goes on once `done` holds.
    auto until(std::function<bool()> done) {
        return Wait{this, [this, done = std::move(done)](std::function<void()> resume) mutable {
                        return m_clock.resumeWhen(std::move(done), std::move(resume));
                    }};
    }

    // A wait for an outside answer, such as a dialog's button: `ask` is given
    // the function that resumes the step with the answer. Only the first
    // answer counts; one that comes after the step's game was cancelled is dropped.
    template <typename Answer>
    struct Question {
        Steps* steps;
        std::function<void(std::function<void(Answer)>)> ask;
        std::optional<Answer> answer;
        bool await_ready() const noexcept { return false; }
        template <typename Promise>
        void await_suspend(std::coroutine_handle<Promise> awaiting) {
            detail::StepChain* chain = awaiting.promise().chain;
            if (!chain->scope->alive) {
                return;
            }
            std::weak_ptr<detail::StepScope> scope = chain->scope->weak_from_this();
            auto pending = std::make_shared<bool>(true);
            ask([this, owner = steps, scope, chain, awaiting, pending](Answer given) {
                const std::shared_ptr<detail::StepScope> live = scope.lock();
                if (!live || !live->alive || !*pending) {
                    return;
                }
                *pending = false;
                answer = std::move(given);
                owner->resume(*chain, awaiting);
            });
        }
        Answer await_resume() { return std::move(*answer); }
    };
    template <typename Answer>
    Question<Answer> ask(std::function<void(std::function<void(Answer)>)> ask) {
        return Question<Answer>{this, std::move(ask), std::nullopt};
    }

  private:
    struct Wait {
        Steps* steps;
        std::function<Clock::TimerId(std::function<void()>)> arm;
        bool await_ready() const noexcept { return false; }
        template <typename Promise>
        void await_suspend(std::coroutine_handle<Promise> awaiting) {
            detail::StepChain* chain = awaiting.promise().chain;
            detail::StepScope* scope = chain->scope;
            if (!scope->alive) {
                return;
            }
            auto id = std::make_shared<Clock::TimerId>(0);
            Steps* owner = steps;
            *id = arm([owner, scope, chain, id, awaiting] {
                scope->waits.erase(*id);
                owner->resume(*chain, awaiting);
            });
            scope->waits.insert(*id);
        }
        void await_resume() const noexcept {}
    };

    static std::shared_ptr<detail::StepScope> NewScope() {
        return std::make_shared<detail::StepScope>();
    }

    // Resumes a frame of `chain`. Once the chain is back off the stack, it is
    // freed when it ended or its game was cancelled meanwhile.
    void resume(detail::StepChain& chain, std::coroutine_handle<> frame) {
        const std::shared_ptr<detail::StepScope> scope = chain.scope->shared_from_this();
        ++chain.running;
        frame.resume();
        --chain.running;
        if (chain.running == 0 && (chain.ended || !scope->alive)) {
            chain.root.destroy();
            scope->chains.remove_if([&chain](const detail::StepChain& c) { return &c == &chain; });
        }
    }

    Clock& m_clock;
    std::shared_ptr<detail::StepScope> m_scope = NewScope();
};

}  // namespace korvel
