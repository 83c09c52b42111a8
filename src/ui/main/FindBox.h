#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

// "Find:" and a box above the entry list: each change of the text narrows the
// list. Escape empties and closes it (so does Escape in the window); Down goes
// on into the list.
class FindBox : public QWidget
{
    Q_OBJECT

public:
    // Its height, in twips, that the list gives up while it shows.
    static constexpr int HeightTwips = 375;

    FindBox(QWidget *parent, int widthTwips);

    // Shows the box with the focus in it.
    void openForTyping();
    // Empties and hides the box.
    void dismiss();

    QLabel *lblFind = nullptr;
    QLineEdit *txtFind = nullptr;

signals:
    void findChanged(const QString &text);
    void closed();
    void downPressed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
