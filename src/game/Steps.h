#pragma once

#include <coroutine>
#include <cstdint>
#include <exception>
#include <functional>
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

struct StepPromiseBase {
    std::coroutine_handle<> continuation;
    // Set on a step started on its own: it frees itself when it ends.
    std::function<void()> onEnd;

    std::suspend_always initial_suspend() noexcept { return {}; }
    struct FinalAwaiter {
        bool await_ready() noexcept { return false; }
        template <typename Promise>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> done) noexcept {
            StepPromiseBase& promise = done.promise();
            if (promise.continuation) {
                return promise.continuation;
            }
            if (promise.onEnd) {
                std::function<void()> end = std::move(promise.onEnd);
                end();  // destroys this frame
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
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept {
        m_handle.promise().continuation = awaiting;
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
// gives the awaitable pauses and waits, and on destruction cancels every wait
// and frees every step still under way, so nothing resumes into a freed owner.
class Steps {
  public:
    explicit Steps(Clock& clock) : m_clock(clock) {}
    Steps(const Steps&) = delete;
    Steps& operator=(const Steps&) = delete;
    ~Steps() {
        for (const Clock::TimerId id : m_waits) {
            m_clock.stopTimer(id);
        }
        const std::set<std::coroutine_handle<>> running = std::move(m_running);
        for (const std::coroutine_handle<> handle : running) {
            handle.destroy();
        }
    }

    // Starts `step` as a step of its own; it runs to its first wait at once.
    void start(Step<void> step) {
        auto handle = step.release();
        m_running.insert(handle);
        handle.promise().onEnd = [this, handle] {
            m_running.erase(handle);
            handle.destroy();
        };
        handle.resume();
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
    // the function that resumes the step with the answer. An answer that comes
    // after the owner is gone is dropped.
    template <typename Answer>
    struct Question {
        std::function<void(std::function<void(Answer)>)> ask;
        std::shared_ptr<bool> alive;
        std::optional<Answer> answer;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> awaiting) {
            std::weak_ptr<bool> owner = alive;
            ask([this, awaiting, owner](Answer given) {
                if (owner.expired() || answer) {
                    return;  // the game is gone, or the question was answered already
                }
                answer = std::move(given);
                awaiting.resume();
            });
        }
        Answer await_resume() { return std::move(*answer); }
    };
    template <typename Answer>
    Question<Answer> ask(std::function<void(std::function<void(Answer)>)> ask) {
        return Question<Answer>{std::move(ask), m_alive, std::nullopt};
    }

  private:
    struct Wait {
        Steps* steps;
        std::function<Clock::TimerId(std::function<void()>)> arm;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> awaiting) {
            auto id = std::make_shared<Clock::TimerId>(0);
            Steps* owner = steps;
            *id = arm([owner, id, awaiting] {
                owner->m_waits.erase(*id);
                awaiting.resume();
            });
            steps->m_waits.insert(*id);
        }
        void await_resume() const noexcept {}
    };

    Clock& m_clock;
    std::set<Clock::TimerId> m_waits;
    std::set<std::coroutine_handle<>> m_running;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace korvel
