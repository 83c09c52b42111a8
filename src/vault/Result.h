#pragma once

#include <QString>

#include <utility>
#include <variant>

// Why an operation failed, where the caller must react differently.
enum class ErrorKind {
    Other,
    DecryptionFailed, // wrong key, or a file changed since it was sealed: the caller may ask again
    DamagedFile,      // not a file this program can read: nothing should be written over it
};

// What went wrong, as a sentence for the user that ends with the system's reason.
struct Error
{
    QString message;
    ErrorKind kind = ErrorKind::Other;
};

// The outcome of a vault operation: its value, or the error that stopped it.
// A caller that cannot go on hands error() on whole, so its kind travels with it.
template <class T = void>
class [[nodiscard]] Result
{
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T &value() const & { return std::get<0>(m_state); }
    T &value() & { return std::get<0>(m_state); }
    T &&value() && { return std::get<0>(std::move(m_state)); }
    const T *operator->() const { return &value(); }
    T *operator->() { return &value(); }

    // Only when it failed.
    const Error &error() const { return std::get<1>(m_state); }
    // Empty when it succeeded.
    const QString &message() const
    {
        static const QString none;
        return ok() ? none : error().message;
    }
    ErrorKind errorKind() const { return ok() ? ErrorKind::Other : error().kind; }

private:
    std::variant<T, Error> m_state;
};

template <>
class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)), m_failed(true) {}

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const Error &error() const { return m_error; }
    const QString &message() const { return m_error.message; }
    ErrorKind errorKind() const { return m_error.kind; }

private:
    Error m_error;
    bool m_failed = false;
};
