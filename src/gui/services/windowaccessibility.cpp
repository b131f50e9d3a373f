#include "gui/services/windowaccessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QTextBoundaryFinder>
#include <QWidget>

namespace cw {

namespace {
class NamedComboBoxInterface : public QAccessibleWidget {
  public:
    explicit NamedComboBoxInterface(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? box()->currentText() : QAccessibleWidget::text(t);
    }
    // The open list, as Qt's own combo box has it.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == box()->view() ? 0 : -1;
    }

  private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

class LinesOfText : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit LinesOfText(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    using QAccessibleWidget::text;
    QString text(int start, int end) const override { return shown().mid(start, end - start); }
    int characterCount() const override { return int(shown().size()); }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override {
        const QString all = shown();
        *start = 0;
        *end = int(all.size());
        if (offset < 0 || offset >= all.size() || type == QAccessible::NoBoundary)
            return offset < 0 || offset > all.size() ? QString() : all;
        if (type == QAccessible::CharBoundary) {
            *start = offset;
            *end = offset + 1;
        } else if (type == QAccessible::WordBoundary) {
            QTextBoundaryFinder words(QTextBoundaryFinder::Word, all);
            words.setPosition(offset + 1);
            *start = int(words.toPreviousBoundary());
            words.setPosition(offset);
            *end = int(words.toNextBoundary());
        } else { // a line is a sentence and a paragraph: one birthday
            *start = offset == 0 ? 0 : int(all.lastIndexOf(QLatin1Char('\n'), offset - 1)) + 1;
            const qsizetype lineEnd = all.indexOf(QLatin1Char('\n'), offset);
            *end = lineEnd < 0 ? int(all.size()) : int(lineEnd) + 1;
        }
        return all.mid(*start, *end - *start);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override {
        textAtOffset(offset, type, start, end);
        return *start > 0 ? textAtOffset(*start - 1, type, start, end) : QString();
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override {
        textAtOffset(offset, type, start, end);
        return *end < characterCount() ? textAtOffset(*end, type, start, end) : QString();
    }
    // Read only: no caret, no selection, no layout to ask about.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

  private:
    // The lines as shown: they end in a line feed alone.
    QString shown() const { return static_cast<QLabel*>(widget())->text().remove(QLatin1Char('\r')); }
};

const char* windowMarker = "candlewiseAccessibleWindow";

// Asked before Qt's own factory only for classes that Qt does not know, such as those below.
QAccessibleInterface* makeInterface(const QString&, QObject* object) {
    if (auto* box = qobject_cast<NamedComboBox*>(object))
        return new NamedComboBoxInterface(box);
    if (auto* label = qobject_cast<TextLines*>(object))
        return new LinesOfText(label);
    if (object && object->isWidgetType() && object->property(windowMarker).toBool())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

void installFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(makeInterface);
        return true;
    }();
    (void)installed;
}
} // namespace

void announceAsWindow(QWidget* window) {
    installFactory();
    window->setProperty(windowMarker, true);
}

NamedComboBox::NamedComboBox(const QString& name, QWidget* parent) : QComboBox(parent) {
    installFactory();
    setAccessibleName(name);
}

TextLines::TextLines(QWidget* parent) : QLabel(parent) {
    installFactory();
}

} // namespace cw
