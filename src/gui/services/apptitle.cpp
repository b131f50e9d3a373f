#include "gui/services/apptitle.h"

#include "core/config.h"

namespace cw {

namespace {
QString& storedTitle() {
    static QString title = deriveApplicationTitle(config::productName);
    return title;
}

QString dropLastWord(const QString& text) {
    const qsizetype blank = text.lastIndexOf(QLatin1Char(' '));
    return blank < 0 ? text : text.left(blank);
}
} // namespace

QString applicationTitle() {
    return storedTitle();
}
void setApplicationTitle(const QString& title) {
    storedTitle() = title;
}

QString deriveApplicationTitle(const QString& productName) {
    QString title = dropLastWord(productName);
    while (title.size() > 40) {
        const QString shorter = dropLastWord(title);
        if (shorter == title) // one long word: nothing left to drop
            return title.left(40);
        title = shorter;
    }
    return title;
}

} // namespace cw
