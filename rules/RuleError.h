#pragma once

#include <QString>

#include <stdexcept>

namespace wv {

// Failures of the rule model and the rules file. Each carries one fixed
// message that is shown to the user as it stands.
class ERuleError : public std::runtime_error
{
public:
    explicit ERuleError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// A stream that ends inside the header or the trailer of the rules file.
class StreamReadError : public std::runtime_error
{
public:
    StreamReadError() : std::runtime_error("Stream read error") {}
};

} // namespace wv
