// SPDX-License-Identifier: GPL-3.0-or-later
// Typed outcome of library calls: a code the front ends map to exit codes or dialogs, plus the
// text.
#pragma once

#include <QList>
#include <QString>

namespace varnolite {

enum class ErrorCode
{
    Ok,
    NotFound,        // the file or key does not exist
    ReadOnly,        // the target carries the read-only attribute and is left alone
    AccessDenied,    // the system refused access
    AlreadyExists,   // a target exists and is never overwritten
    InvalidArgument, // the caller passed something unusable (bad key, bad number)
    InvalidData,     // bytes from a file or the network do not have the expected form
    IoError,         // any other system error
    Cancelled,       // the user declined
};

class Status
{
public:
    Status() = default;
    Status(ErrorCode code, QString message, int systemError = 0)
        : m_code(code)
        , m_message(std::move(message))
        , m_systemError(systemError)
    {}

    /// The outcome of a failed system call: the code is derived from errno, the message is the
    /// system's text, prefixed by `context` (usually the path) when given.
    static Status fromErrno(int error, const QString& context = {});

    bool ok() const { return m_code == ErrorCode::Ok; }
    ErrorCode code() const { return m_code; }
    const QString& message() const { return m_message; }
    int systemError() const { return m_systemError; }

private:
    ErrorCode m_code = ErrorCode::Ok;
    QString m_message;
    int m_systemError = 0;
};

/// The system's message text for an errno value.
QString systemMessage(int error);

/// One failed file of a command: the path and what went wrong with it.
struct PathError
{
    QString path;
    QString message;
    friend bool operator==(const PathError&, const PathError&) = default;
};

} // namespace varnolite

#include <optional>

namespace varnolite {

/// A value or the reason there is none.
template<typename T>
class Result
{
public:
    Result(T value)
        : m_value(std::move(value))
    {}
    Result(Status status)
        : m_status(std::move(status))
    {
        Q_ASSERT(!m_status.ok());
    }

    bool ok() const { return m_value.has_value(); }
    const Status& status() const { return m_status; }
    const T& value() const&
    {
        Q_ASSERT(ok());
        return *m_value;
    }
    T& value() &
    {
        Q_ASSERT(ok());
        return *m_value;
    }
    T&& value() &&
    {
        Q_ASSERT(ok());
        return std::move(*m_value);
    }
    T valueOr(T fallback) const { return m_value ? *m_value : std::move(fallback); }

private:
    std::optional<T> m_value;
    Status m_status;
};

} // namespace varnolite
