// Message boxes and file dialogs as the user sees them.
#include "gui/services/apptitle.h"
#include "gui/services/services.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>

namespace cw {

namespace {

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

class MessageBoxService : public MessageService {
  public:
    MessageResult show(const QString& text, const QString& caption, MessageIcon icon, MessageButtons buttons,
                       const QString& link) override {
        QWidget* parent = QApplication::activeModalWidget();
        if (!parent)
            parent = QApplication::activeWindow();
        // Reports break their lines with carriage returns alone; not every style shows those as breaks.
        QString shown = text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
            .replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QMessageBox box(toQt(icon), caption.isEmpty() ? applicationTitle() : caption, shown,
                        QMessageBox::NoButton, parent);
        // Names, imported lines and engine messages are shown as they stand, web addresses in them too.
        box.setTextFormat(Qt::PlainText);
        if (!link.isEmpty() && shown.contains(link)) {
            // The program's own address is one unbroken line that opens in the browser.
            const QString address = link.toHtmlEscaped();
            QString html = shown.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"));
            html.replace(address,
                         QStringLiteral("<a href=\"%1\" style=\"white-space: nowrap\">%1</a>").arg(address));
            box.setTextFormat(Qt::RichText);
            box.setText(html);
            box.setTextInteractionFlags(Qt::TextBrowserInteraction);
        }
        if (buttons == MessageButtons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
        }
        // A short text must not squeeze the title away.
        if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
            grid->addItem(new QSpacerItem(260, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                          grid->rowCount(), 0, 1, grid->columnCount());
        const int answer = box.exec();
        if (buttons == MessageButtons::YesNo)
            return answer == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
        return MessageResult::Ok;
    }
};

class QtFileDialogService : public FileDialogService {
  public:
    QString getOpenFileName(QWidget* parent, const FileDialogRequest& request) override {
        QString selected = request.selectedFilter;
        return QFileDialog::getOpenFileName(parent, request.title, request.presetName, request.filter,
                                            &selected);
    }
    QString getSaveFileName(QWidget* parent, const FileDialogRequest& request,
                            QString& chosenFilter) override {
        chosenFilter = request.selectedFilter;
        // Replacing an existing file asks nothing, as the program always did.
        return QFileDialog::getSaveFileName(parent, request.title, request.presetName, request.filter,
                                            &chosenFilter, QFileDialog::DontConfirmOverwrite);
    }
    QString getExistingDirectory(QWidget* parent, const FileDialogRequest& request) override {
        // Built by hand to show hidden folders too, such as ~/.contacts.
        QFileDialog dialog(parent, request.title, request.presetName);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setFilter(QDir::AllDirs | QDir::Drives | QDir::Hidden | QDir::NoDotAndDotDot);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        return dialog.selectedFiles().value(0);
    }
};

} // namespace

std::unique_ptr<MessageService> createMessageBoxService() {
    return std::make_unique<MessageBoxService>();
}
std::unique_ptr<FileDialogService> createFileDialogService() {
    return std::make_unique<QtFileDialogService>();
}

} // namespace cw
