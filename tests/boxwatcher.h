#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>

// Answers every message box soon after it opens, inside its own modal loop,
// as a user pressing OK would, and keeps what each one showed, so a test can
// neither hang on a box nor miss one.
class BoxWatcher : public QObject {
public:
    struct Box {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        // As the buttons read, in the language in force.
        QStringList buttonTexts = {};
    };
    QList<Box> boxes;
    // Most boxes open at once: a box closed by the user stays open until
    // the modal loops opened inside its own have returned.
    int mostOpen = 0;

    BoxWatcher() {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            int open = 0;
            for (QWidget *window : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(window);
                open += box ? 1 : 0;
                if (box && box->isVisible()) {
                    QStringList buttonTexts;
                    for (const QAbstractButton *button : box->buttons())
                        buttonTexts << button->text();
                    boxes.append({box->windowTitle(), box->text(), box->icon(),
                                  box->standardButtons(), buttonTexts});
                    box->done(QMessageBox::Ok);
                }
            }
            mostOpen = std::max(mostOpen, open);
        });
        m_timer.start(10);
    }

    QStringList texts() const {
        QStringList out;
        for (const Box &box : boxes)
            out << box.text;
        return out;
    }

private:
    QTimer m_timer;
};
