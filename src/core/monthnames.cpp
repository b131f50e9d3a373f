#include "core/monthnames.h"

#include <array>

namespace cw {

namespace {
constexpr std::array<const char*, 12> monthNames{
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December",
};

// ASCII letters only: a look-alike from another script or a special case mapping never makes a month.
bool equalsIgnoringAsciiCase(QStringView text, const char* name) {
    qsizetype i = 0;
    for (; name[i] != '\0'; ++i) {
        if (i >= text.size())
            return false;
        const char16_t c = text[i].unicode();
        if (c > 0x7f)
            return false;
        const auto lower = [](char16_t ch) { return ch >= 'A' && ch <= 'Z' ? char16_t(ch - 'A' + 'a') : ch; };
        if (lower(c) != lower(static_cast<char16_t>(name[i])))
            return false;
    }
    return i == text.size();
}
} // namespace

int MonthNumberFromName(QStringView name) {
    for (size_t i = 0; i < monthNames.size(); ++i) {
        if (equalsIgnoringAsciiCase(name, monthNames[i]))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

QString MonthNameFromNumber(int number) {
    // Shared texts: an export asks for a name on every line.
    static const std::array<QString, 12> names = [] {
        std::array<QString, 12> texts;
        for (size_t i = 0; i < texts.size(); ++i)
            texts[i] = QLatin1String(monthNames[i]);
        return texts;
    }();
    if (number < 1 || number > 12)
        return {};
    return names[static_cast<size_t>(number - 1)];
}

} // namespace cw
