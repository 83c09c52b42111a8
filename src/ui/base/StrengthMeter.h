#pragma once

#include "vault/PasswordStrength.h"

#include <QObject>
#include <QRect>

#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;

// A bar and its level word that follow how strong the password in a box is,
// as it is typed. It only shows: nothing waits on it.
class StrengthMeter : public QObject
{
    Q_OBJECT

public:
    // Both go beside the box, in its parent, at these places.
    StrengthMeter(QLineEdit *box, const QRect &barTwips, const QRect &wordTwips);

    // Hidden, it leaves the box's text alone: no estimate is made for nobody.
    void setVisible(bool visible);

    QProgressBar *bar = nullptr;
    QLabel *word = nullptr;

private:
    void show(const QString &password);

    QLineEdit *m_box;
    bool m_hidden = false;
    std::optional<Strength::Level> m_shownLevel;
};
