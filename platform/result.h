// What an operation gives back: its value, or an error with a code a caller
// can act on and a message for people. Every door of the program answers in
// this one form; no exception crosses a module boundary.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace kalvento {

enum class ErrorCode {
    failed,   // the system refused (the message gives its reason)
    busy,     // a lock stayed held by another process: trying again later may work
    refused,  // a file or folder that is not safe to use (another user's, writable by others)
    invalid,  // input that cannot be used
};

struct Error {
    ErrorCode code = ErrorCode::failed;
    std::string message;  // for people, naming the file or place

    static Error failed(std::string message) { return {ErrorCode::failed, std::move(message)}; }
};

template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only when ok().
    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    // Only when !ok().
    const Error& error() const { return std::get<1>(state_); }

  private:
    std::variant<T, Error> state_;
};

// An operation that gives nothing back but may fail.
template <>
class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Error error) : error_(std::move(error)) {}

    bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *error_; }

  private:
    std::optional<Error> error_;
};

using Status = Result<void>;

}  // namespace kalvento
