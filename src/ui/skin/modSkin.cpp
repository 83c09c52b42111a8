#include "ui/skin/modSkin.h"

#include "ui/base/AppContext.h"
#include "ui/skin/frmSplash.h"
#include "ui/base/Controls.h"
#include "ui/base/Form.h"
#include "ui/base/Twips.h"
#include "ui/skin/SkinControl.h"
#include "ui/skin/SkinService.h"

#include <QLabel>
#include <QStyle>
#include <QStringList>
#include <optional>
#include <utility>

namespace modSkin {

namespace {

enum class Colouring { None, Background, BackgroundAndText, Panel };

Colouring colouringOf(const QString &kind)
{
    using namespace Controls::Kind;
    static const QStringList fields{QLatin1String(TextBox), u"ComboBox"_qs, u"FileListBox"_qs,
                                    u"DirListBox"_qs, u"DriveListBox"_qs, u"ListBox"_qs,
                                    QLatin1String(ListView)};
    if (kind == QLatin1String(CommandButton))
        return Colouring::Background;
    if (fields.contains(kind, Qt::CaseSensitive))
        return Colouring::BackgroundAndText;
    if (kind == QLatin1String(PictureBox))
        return Colouring::Panel;
    return Colouring::None;
}

void setColours(QWidget *control, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colours)
{
    // A style sheet remembers the palette a control had when it was styled and
    // puts it back each time the control is styled again (as when the skin's
    // sheet arrives): let it remember the new colours instead.
    QStyle *style = control->style();
    const bool styledBySheet = style->inherits("QStyleSheetStyle");
    if (styledBySheet)
        style->unpolish(control);
    QPalette palette = control->palette();
    for (const auto &[role, colour] : colours)
        palette.setColor(role, colour);
    control->setPalette(palette);
    if (styledBySheet)
        style->polish(control);
}

void colour(QWidget *control, const QColor &background, const QColor &text, const QColor &panel)
{
    switch (colouringOf(Controls::kindName(control))) {
    case Colouring::Background:
        setColours(control, {{QPalette::Button, background}});
        break;
    case Colouring::BackgroundAndText:
        setColours(control, {{QPalette::Base, background}, {QPalette::Text, text}});
        break;
    case Colouring::Panel:
        // A picture box always paints its background.
        setColours(control, {{QPalette::Window, panel}});
        control->setAutoFillBackground(true);
        break;
    case Colouring::None:
        break;
    }
}

// The window's controls: everything given a kind, in the order they were made.
QList<QWidget *> controlsOf(const Form *window)
{
    QList<QWidget *> controls;
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (!Controls::kindName(child).isEmpty())
            controls.append(child);
    }
    return controls;
}

std::optional<QColor> colourOf(const SkinControl &skin, int dispatchId)
{
    const QVariant value = skin.property(dispatchId);
    if (!value.canConvert<QColor>())
        return std::nullopt;
    return value.value<QColor>();
}

bool skinOnce(AppContext &context, Form *window)
{
    const std::shared_ptr<SkinControl> skin = context.skin;
    if (!skin)
        return false;
    const std::optional<QColor> background = colourOf(*skin, SkinControl::BackColorId);
    const std::optional<QColor> text = colourOf(*skin, SkinControl::ForeColorId);
    const std::optional<QColor> panel = colourOf(*skin, SkinControl::PanelColorId);
    if (!background || !text || !panel)
        return false;
    ColorControls(window, *background, *text, *panel);
    skin->apply(window);
    return true;
}

// The skin object comes with the splash window's load. A splash loaded earlier
// in this run has given it if it ever will, and may still be counting down to
// the main window, so it is left alone: waiting on its timer could last forever.
void loadSplashForItsSkin(AppContext &context)
{
    if (context.windows.IsLoaded<frmSplash>())
        return;
    frmSplash *splash = context.windows.Load<frmSplash>();
    if (!splash)
        return;
    // Its load has run to the end, timer started: stop the hand-over to the
    // main window, which is loaded already or will be by whoever called us.
    splash->Timer2.stop();
    splash->hide();
}

} // namespace

bool SkinForm(AppContext &context, Form *window)
{
    if (skinOnce(context, window))
        return true;
    loadSplashForItsSkin(context);
    return skinOnce(context, window);
}

void ColorControls(Form *window, const QColor &background, const QColor &text,
                   const QColor &panel)
{
    for (QWidget *control : controlsOf(window))
        colour(control, background, text, panel);
}

QList<QLabel *> Labels(const Form *window, const QWidget *container)
{
    QList<QLabel *> labels;
    for (QWidget *control : controlsOf(window)) {
        auto *label = qobject_cast<QLabel *>(control);
        if (label && Controls::kindName(label) == QLatin1String(Controls::Kind::Label)
            && (!container || label->parentWidget() == container))
            labels.append(label);
    }
    return labels;
}

QList<QLabel *> CopyLabels(const QLabel *model, const QList<QLabel *> &labels)
{
    QList<QLabel *> copies;
    for (const QLabel *label : labels) {
        QLabel *copy = Controls::label(model->parentWidget(), model->objectName(), label->text(),
                                       Twips::rect(label), Controls::Kind::SkinLabel);
        copy->setFont(label->font());
        // Drawn exactly like the label beneath, so the two read as one, and
        // clicks still reach the label (the About window's web site link).
        copy->setPalette(label->palette());
        copy->setAlignment(label->alignment());
        copy->setWordWrap(label->wordWrap());
        copy->setAttribute(Qt::WA_TransparentForMouseEvents);
        copy->setVisible(!label->isHidden());
        copies.append(copy);
    }
    return copies;
}

void StartSkinService(AppContext &context, const std::shared_ptr<SkinControl> &control)
{
    if (!context.skinService)
        context.skinService = std::make_shared<SkinService>();
    context.skinService->setControl(control);
    context.skinService->start();
}

void StopSkinService(AppContext &context)
{
    if (context.skinService)
        context.skinService->stop();
}

} // namespace modSkin
