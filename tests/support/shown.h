#pragma once
// What a label, message box or tooltip puts on screen for its text, by the toolkit's own rule: rich
// text when its format says so, or when the format is automatic and the text looks like markup.
#include <QTest>
#include <QTextDocument>

namespace cwtest {

inline QString shownText(const QString& text, Qt::TextFormat format = Qt::AutoText) {
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

template <typename Widget> QString shownText(const Widget* widget) {
    return shownText(widget->text(), widget->textFormat());
}

// The test data of names that look like markup: one opens a comment that would hide all that follows
// it, one holds "&", "<" and ">", one a web address after two blanks.
inline void addMarkupLikeNames() {
    QTest::addColumn<QString>("name");
    QTest::newRow("opens a comment") << QStringLiteral("<b>Ann</b><!--");
    QTest::newRow("ampersand and brackets") << QStringLiteral("<i>Cy</i> & Dee <3 >");
    QTest::newRow("web address") << QStringLiteral("Ann  https://example.com/?a=1&b=2");
}

} // namespace cwtest
