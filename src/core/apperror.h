#pragma once
// The one error type the program throws: it carries the failing operation's own description.
#include <QString>

#include <stdexcept>

namespace cw {

class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& description)
        : std::runtime_error(description.toStdString()), description_(description) {}
    const QString& description() const { return description_; }

private:
    QString description_;
};

// The description of whatever was thrown, as the error report shows it.
QString describe(const std::exception& error);

} // namespace cw
