#include "platform/qt/QtMessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace platform {

QString applicationTitle() {
    return QStringLiteral("ﾎﾟﾙｶﾈ ９９");
}

MessageAnswer QtMessageBoxes::show(const QString& text, MessageIcon icon, MessageButtons buttons,
                                   const QString& caption) {
    QMessageBox box;
    box.setObjectName(QStringLiteral("messageBox"));
    box.setWindowTitle(caption.isEmpty() ? applicationTitle() : caption);
    // Message texts break lines with a lone carriage return; a label only breaks on line feeds.
    QString shown = text;
    shown.replace(QChar(u'\r'), QChar(u'\n'));
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);
    switch (icon) {
        case MessageIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MessageIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (buttons == MessageButtons::YesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return MessageAnswer::Ok;
}

}  // namespace platform
