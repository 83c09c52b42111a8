#pragma once

#include <initializer_list>

#include <QFont>
#include <QRect>
#include <QString>

class QCheckBox;
class QKeyEvent;
class QProgressBar;
class QRadioButton;
class QSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;

// Builds the controls of the windows: each gets its designed name, its kind
// name (what the skin and tests look it up by) and its geometry in twips.
namespace Controls {

namespace Kind {
inline constexpr const char *CommandButton = "CommandButton";
inline constexpr const char *TextBox = "TextBox";
inline constexpr const char *Label = "Label";
inline constexpr const char *SkinLabel = "SkinLabel";
inline constexpr const char *CheckBox = "CheckBox";
inline constexpr const char *PictureBox = "PictureBox";
inline constexpr const char *Image = "Image";
inline constexpr const char *ListView = "ListView";
inline constexpr const char *StatusBar = "StatusBar";
inline constexpr const char *WebBrowser = "WebBrowser";
inline constexpr const char *Frame = "Frame";
inline constexpr const char *RichTextBox = "RichTextBox";
inline constexpr const char *OptionButton = "OptionButton";
inline constexpr const char *SpinBox = "SpinBox";
inline constexpr const char *ProgressBar = "ProgressBar";
} // namespace Kind

// The character code of Enter, as the windows' key handlers receive it.
inline constexpr int EnterKeyAscii = 13;

// Tab goes from each control to the next, in this order.
void tabOrder(std::initializer_list<QWidget *> order);

// Enter or keypad Enter, with no other modifier held.
bool isPlainEnter(const QKeyEvent *key);

void setKind(QWidget *control, const char *kindName);
QString kindName(const QWidget *control);

// The window font: Verdana where installed, a close sans-serif elsewhere.
QFont verdana(double pointSize, bool bold = false);

QPushButton *commandButton(QWidget *parent, const QString &name, const QString &caption,
                           const QRect &twips);
// A button showing a picture above its caption (or the picture alone).
QToolButton *pictureButton(QWidget *parent, const QString &name, const QString &caption,
                           const QString &picture, const QRect &twips);
QLineEdit *textBox(QWidget *parent, const QString &name, const QRect &twips);
// While slow work runs: the controls take no input and the wait cursor shows.
void setWaiting(std::initializer_list<QWidget *> controls, bool waiting);
// A text box that shows each typed character as '*'.
QLineEdit *passwordBox(QWidget *parent, const QString &name, const QRect &twips);
QLabel *label(QWidget *parent, const QString &name, const QString &caption, const QRect &twips,
              const char *kindName = Kind::Label);
QCheckBox *checkBox(QWidget *parent, const QString &name, const QString &caption,
                    const QRect &twips);
QRadioButton *optionButton(QWidget *parent, const QString &name, const QString &caption,
                           const QRect &twips);
QSpinBox *spinBox(QWidget *parent, const QString &name, int minimum, int maximum, const QRect &twips);
QProgressBar *progressBar(QWidget *parent, const QString &name, const QRect &twips);

} // namespace Controls
