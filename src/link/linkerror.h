#pragma once

#include <QString>
#include <stdexcept>

// A failure of the server link. The handlers that use the link catch it and tell the
// user in their own words; its text only serves tests and debugging.
class LinkError : public std::runtime_error
{
public:
    explicit LinkError(const QString &what)
        : std::runtime_error(what.toStdString())
    { }
};
