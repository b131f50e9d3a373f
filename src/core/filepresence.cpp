#include "core/filepresence.h"

#include <QFileInfo>

namespace cw {

bool IsFilePresent(const QString& path) noexcept {
    try {
        if (path.isEmpty() || path.contains(QChar(u'\0')))
            return false;
        const QFileInfo info(path);
        return info.exists() && info.lastModified().isValid();
    } catch (...) {
        return false;
    }
}

} // namespace cw
