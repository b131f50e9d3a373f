#include "core/apperror.h"

namespace cw {

QString describe(const std::exception& error) {
    if (const auto* appError = dynamic_cast<const AppError*>(&error))
        return appError->description();
    return QString::fromUtf8(error.what());
}

} // namespace cw
