#pragma once

#include "engine/ports/PlatformError.h"

#include <QtGlobal>
#include <type_traits>
#include <utility>
#include <variant>

// The outcome of a platform call: its value, or the error that kept it from one.
// [[nodiscard]] makes a dropped outcome a compile error (warnings are errors), so
// no failure goes unnoticed by accident; a caller that means to ignore one says so
// with a cast to void.
//
// The accessors never throw. value() of a failure is a programming error (asserted
// in debug builds); error() of a success is an empty PlatformError (code 0).
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_outcome(std::in_place_index<0>, std::move(value)) {}
    // Anything T is built from (std::unique_ptr<Derived> for std::unique_ptr<Base>).
    template <typename U>
    requires(std::is_constructible_v<T, U&&> && !std::is_same_v<std::remove_cvref_t<U>, T> &&
             !std::is_same_v<std::remove_cvref_t<U>, PlatformError> &&
             !std::is_same_v<std::remove_cvref_t<U>, Result>)
        // The constraint keeps Result itself out, which clang-tidy 14 does not read.
        // NOLINTNEXTLINE(bugprone-forwarding-reference-overload)
        Result(U&& value)
        : m_outcome(std::in_place_index<0>, std::forward<U>(value))
    {
    }
    // A failure; the error must carry a code.
    Result(PlatformError error) : m_outcome(std::in_place_index<1>, std::move(error))
    {
        Q_ASSERT(std::get_if<1>(&m_outcome)->failed());
    }

    bool ok() const { return m_outcome.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return *checkedValue(); }
    const T& value() const& { return *checkedValue(); }
    T&& value() && { return std::move(*checkedValue()); }

    const PlatformError& error() const
    {
        static const PlatformError none;
        const PlatformError* error = std::get_if<1>(&m_outcome);
        return error ? *error : none;
    }

private:
    T* checkedValue()
    {
        Q_ASSERT(ok());
        return std::get_if<0>(&m_outcome);
    }
    const T* checkedValue() const
    {
        Q_ASSERT(ok());
        return std::get_if<0>(&m_outcome);
    }

    std::variant<T, PlatformError> m_outcome;
};

// A call that only succeeds or fails. A PlatformError with code 0 is a success,
// as PlatformError itself defines, so a call can hand on another's outcome.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(PlatformError error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.failed(); }
    explicit operator bool() const { return ok(); }
    const PlatformError& error() const { return m_error; }

private:
    PlatformError m_error;
};
