#include "../browser/WebEngineTestSetup.h"
#include "TestEnv.h"
#include "ui/skin/frmSplash.h"
#include "ui/base/modBranding.h"
#include "ui/base/Controls.h"
#include "ui/base/Twips.h"
#include "ui/browser/frmWebsite.h"
#include "ui/help/Form8.h"
#include "ui/skin/SkinControl.h"
#include "ui/skin/SkinService.h"
#include "ui/help/frmAbout.h"
#include "ui/skin/modSkin.h"
#include "ui/main/Form1.h"
#include "ui/main/frmAdd.h"
#include "ui/vault/frmPass.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QColor Red(0xC0, 0x10, 0x10);
const QColor Green(0x10, 0xA0, 0x10);
const QColor Blue(0x10, 0x10, 0xC0);

// A window of our own making, skinned at load like the program's windows.
class ProbeWindow : public Form
{
public:
    explicit ProbeWindow(AppContext &context) : Form(context) { setClientSizeTwips(4500, 3000); }

    void Form_Load() override
    {
        if (m_ctx.branding.UseSkin)
            skinned = modSkin::SkinForm(m_ctx, this);
    }

    template <class Control> Control *add(const char *kind, const QRect &twips = {60, 60, 1500, 400})
    {
        auto *control = new Control(client());
        control->setObjectName(QString::fromLatin1(kind));
        Controls::setKind(control, kind);
        Twips::place(control, twips);
        return control;
    }

    bool skinned = false;
};

// Skin on or off for the whole run, as the branding would issue it.
void issueWithSkin(TestEnv &env, bool useSkin)
{
    env.ctx().brandingSwitches.UseSkin = useSkin;
    // The browser window opens the web site from the version information: keep it local.
    env.platform.version.Comments = QStringLiteral("http://127.0.0.1:9/");
}

QList<QWidget *> controlsOfKind(const Form *window, const QStringList &kinds)
{
    QList<QWidget *> found;
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (kinds.contains(Controls::kindName(child)))
            found.append(child);
    }
    return found;
}

const QStringList ColouredKinds{QStringLiteral("CommandButton"), QStringLiteral("TextBox"),
                                QStringLiteral("ListView"), QStringLiteral("PictureBox")};

// Skinned copies made at load: every skinned label but the hidden template.
QList<QLabel *> labelCopies(const Form *window, const QLabel *model)
{
    QList<QLabel *> copies;
    for (QWidget *control : controlsOfKind(window, {QStringLiteral("SkinLabel")})) {
        if (control != model)
            copies.append(static_cast<QLabel *>(control));
    }
    return copies;
}

QRect placeIn(const QWidget *window, const QWidget *control)
{
    return {control->mapTo(window, QPoint(0, 0)), control->size()};
}

std::shared_ptr<SkinControl> standardSkinWith(bool applyColors, bool skinClientArea)
{
    QFile file(QString::fromLatin1(SkinControl::StandardSkinPath));
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    QJsonObject switches = root.value(QStringLiteral("switches")).toObject();
    switches[QStringLiteral("applyColors")] = applyColors;
    switches[QStringLiteral("skinClientArea")] = skinClientArea;
    root[QStringLiteral("switches")] = switches;
    const std::optional<SkinDescription> skin = SkinDescription::fromJson(QJsonDocument(root).toJson());
    return skin ? std::make_shared<SkinControl>(*skin) : nullptr;
}

QColor colourAt(QWidget *widget, QPoint point)
{
    return widget->grab().toImage().pixelColor(point);
}

} // namespace

class SkinTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { prepareWebEngine(); }

private slots:
    void shippedSkinIsTheStandardSkin()
    {
        const std::shared_ptr<SkinControl> skin = SkinControl::standard();
        QVERIFY(skin);
        const SkinDescription &description = skin->skin();
        QCOMPARE(description.name, QStringLiteral("Standard Skin"));
        QVERIFY(!description.author.isEmpty());
        QVERIFY(!description.description.isEmpty());
        QCOMPARE(description.application, QStringLiteral("Keyholder"));
        QCOMPARE(skin->property(SkinControl::BackColorId).value<QColor>(), description.back);
        QCOMPARE(skin->property(SkinControl::ForeColorId).value<QColor>(), description.fore);
        QCOMPARE(skin->property(SkinControl::PanelColorId).value<QColor>(), description.panel);
        QVERIFY(!skin->property(1).isValid());
        QVERIFY(!skin->property(5).isValid());
        // Text on the skin's fields must stay readable.
        QVERIFY(qAbs(description.back.lightness() - description.fore.lightness()) > 128);
        QVERIFY(qAbs(description.panel.lightness() - description.panelText.lightness()) > 128);
    }

    void unusableDescriptionsAreRefused_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("value");
        QTest::newRow("no name") << "" << "name" << QJsonValue();
        QTest::newRow("colour not a colour") << "colors" << "back" << QJsonValue("beige-ish");
        QTest::newRow("colour missing") << "colors" << "panel" << QJsonValue();
        QTest::newRow("switch not a flag") << "switches" << "applyColors" << QJsonValue("yes");
        QTest::newRow("hue not a number") << "" << "hue" << QJsonValue("blue");
    }

    void unusableDescriptionsAreRefused()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QJsonValue, value);
        QFile file(QString::fromLatin1(SkinControl::StandardSkinPath));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
        QVERIFY(SkinDescription::fromJson(QJsonDocument(root).toJson()));
        QJsonObject part = section.isEmpty() ? root : root.value(section).toObject();
        if (value.isUndefined() || value.isNull())
            part.remove(key);
        else
            part[key] = value;
        if (section.isEmpty())
            root = part;
        else
            root[section] = part;
        QVERIFY(!SkinDescription::fromJson(QJsonDocument(root).toJson()));
    }

    void missingPicturesOrFilesGiveNoSkin()
    {
        QVERIFY(!SkinControl::load(QStringLiteral(":/skin/no-such.skin")));
        QVERIFY(!SkinDescription::fromJson("not json at all"));
        QFile file(QString::fromLatin1(SkinControl::StandardSkinPath));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray json = file.readAll();
        json.replace(":/images/skin_button_hover.png", ":/images/gone.png");
        QVERIFY(!SkinDescription::fromJson(json));
    }

    void colouringFollowsTheKindTable_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("backRole");
        QTest::addColumn<QColor>("back");
        QTest::addColumn<int>("foreRole");
        QTest::addColumn<QColor>("fore");
        const int none = -1;
        QTest::newRow("button") << "CommandButton" << int(QPalette::Button) << Red << none << QColor();
        for (const char *field : {"TextBox", "ComboBox", "FileListBox", "DirListBox", "DriveListBox",
                                  "ListBox", "ListView"})
            QTest::newRow(field) << field << int(QPalette::Base) << Red << int(QPalette::Text) << Green;
        QTest::newRow("picture box") << "PictureBox" << int(QPalette::Window) << Blue << none << QColor();
        for (const char *untouched : {"Label", "SkinLabel", "CheckBox", "WebBrowser", "Frame",
                                      "StatusBar", "Image", "RichTextBox", "textbox", "Commandbutton",
                                      "TextBox ", "PICTUREBOX", ""})
            QTest::newRow(qPrintable(QStringLiteral("untouched '%1'").arg(QLatin1String(untouched))))
                << untouched << none << QColor() << none << QColor();
    }

    void colouringFollowsTheKindTable()
    {
        QFETCH(QString, kind);
        QFETCH(int, backRole);
        QFETCH(QColor, back);
        QFETCH(int, foreRole);
        QFETCH(QColor, fore);
        TestEnv env;
        ProbeWindow window(env.ctx());
        // In a container within the window, as the browser window's controls are.
        auto *frame = window.add<QWidget>("Frame", {0, 0, 4000, 2000});
        auto *control = new QWidget(frame);
        Controls::setKind(control, kind.toLatin1().constData());
        const QPalette before = control->palette();

        modSkin::ColorControls(&window, Red, Green, Blue);

        QPalette expected = before;
        if (backRole >= 0)
            expected.setColor(QPalette::ColorRole(backRole), back);
        if (foreRole >= 0)
            expected.setColor(QPalette::ColorRole(foreRole), fore);
        QCOMPARE(control->palette(), expected);
        QCOMPARE(control->testAttribute(Qt::WA_SetPalette), backRole >= 0);
    }

    void colouredControlsShowTheirColours()
    {
        TestEnv env;
        ProbeWindow window(env.ctx());
        auto *text = window.add<QLineEdit>("TextBox", {60, 60, 1500, 400});
        auto *picture = window.add<QLabel>("PictureBox", {60, 600, 1500, 600});
        auto *label = window.add<QLabel>("Label", {60, 1400, 1500, 400});
        label->setText(QStringLiteral("plain"));
        auto *check = window.add<QCheckBox>("CheckBox", {60, 2000, 1500, 400});
        const QImage labelBefore = label->grab().toImage();
        const QImage checkBefore = check->grab().toImage();

        modSkin::ColorControls(&window, Red, Green, Blue);

        QCOMPARE(colourAt(text, {text->width() - 4, text->height() / 2}), Red);
        QCOMPARE(colourAt(picture, {4, 4}), Blue);
        QCOMPARE(label->grab().toImage(), labelBefore);
        QCOMPARE(check->grab().toImage(), checkBefore);
    }

    void controlsWithASheetOfTheirOwnKeepTheSkinColours()
    {
        TestEnv env;
        issueWithSkin(env, true);
        env.startProgram();
        ProbeWindow window(env.ctx());
        auto *text = window.add<QLineEdit>("TextBox");
        text->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
        text->ensurePolished();
        QVERIFY(modSkin::SkinForm(env.ctx(), &window));
        const SkinDescription &skin = env.ctx().skin->skin();
        QCOMPARE(text->palette().color(QPalette::Base), skin.back);
        QCOMPARE(colourAt(text, {text->width() - 4, text->height() / 2}), skin.back);
    }

    void everyWindowIsSkinnedAtLoadOnlyWhenUseSkinIsOn_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("useSkin");
        for (const char *window : {"frmSplash", "frmPass", "Form1", "frmAdd", "frmWebsite", "Form8",
                                   "frmAbout"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1 skin on").arg(QLatin1String(window))))
                << window << true;
            QTest::newRow(qPrintable(QStringLiteral("%1 skin off").arg(QLatin1String(window))))
                << window << false;
        }
    }

    void everyWindowIsSkinnedAtLoadOnlyWhenUseSkinIsOn()
    {
        QFETCH(QString, window);
        QFETCH(bool, useSkin);
        TestEnv env;
        issueWithSkin(env, useSkin);
        const Form *form = env.openWindow(window);
        QVERIFY(form);
        QCOMPARE(bool(env.ctx().skin), useSkin);
        const QString sheet = useSkin ? env.ctx().skin->styleSheet() : QString();
        QCOMPARE(form->styleSheet(), sheet);

        const SkinDescription skin = useSkin ? env.ctx().skin->skin() : SkinDescription();
        for (QWidget *control : controlsOfKind(form, ColouredKinds)) {
            // The banner's frame comes after the skin and keeps its own colours.
            const bool madeAfterTheSkin = control->objectName() == QLatin1String("picBox");
            QCOMPARE(control->testAttribute(Qt::WA_SetPalette), useSkin && !madeAfterTheSkin);
            const QString kind = Controls::kindName(control);
            if (!useSkin || madeAfterTheSkin)
                continue;
            if (kind == QLatin1String("CommandButton")) {
                QCOMPARE(control->palette().color(QPalette::Button), skin.back);
            } else if (kind == QLatin1String("PictureBox")) {
                QCOMPARE(control->palette().color(QPalette::Window), skin.panel);
            } else {
                QCOMPARE(control->palette().color(QPalette::Base), skin.back);
                QCOMPARE(control->palette().color(QPalette::Text), skin.fore);
            }
        }
    }

    void designedSkinLabelsShowTheirTextWithTheSkinOff()
    {
        TestEnv env;
        issueWithSkin(env, false);
        env.startProgram();
        const frmPass *pass = env.ctx().windows.Find<frmPass>();
        QVERIFY(pass);
        QVERIFY(pass->SkinLabel1->isVisibleTo(pass));
        QVERIFY(!pass->SkinLabel1->text().isEmpty());
        QCOMPARE(pass->SkinLabel2->text(), QStringLiteral("Password:"));
        QVERIFY(pass->SkinLabel2->isVisibleTo(pass));

        Form1 *main = env.startUnlocked();
        main->cmdAdd_Click(0);
        const frmAdd *editor = env.ctx().windows.Find<frmAdd>();
        QVERIFY(editor);
        const QStringList captions{QStringLiteral("Username:"), QStringLiteral("Password:"),
                                   QStringLiteral("Website:")};
        const QLabel *labels[] = {editor->SkinLabel1, editor->SkinLabel2, editor->SkinLabel3};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(labels[i]->text(), captions[i]);
            QVERIFY(labels[i]->isVisibleTo(editor));
        }
    }

    void noSkinnedLabelCopiesWithTheSkinOff()
    {
        TestEnv env;
        issueWithSkin(env, false);
        Form1 *main = env.startUnlocked();
        main->mnuAboutItem_Click(0);
        main->cmdWebsite_Click(0);
        const frmAbout *about = env.ctx().windows.Find<frmAbout>();
        const frmWebsite *browser = env.ctx().windows.Find<frmWebsite>();
        QVERIFY(about && browser);
        QVERIFY(labelCopies(about, about->SkinLabel1).isEmpty());
        QVERIFY(labelCopies(browser, browser->SkinLabel1.front()).isEmpty());
        QCOMPARE(browser->SkinLabel1.size(), size_t(1));
        QVERIFY(!env.ctx().skinService);
    }

    void aboutWindowGetsACopyOverEachOfItsEightLabels()
    {
        TestEnv env;
        issueWithSkin(env, true);
        env.startUnlocked()->mnuAboutItem_Click(0);
        const frmAbout *about = env.ctx().windows.Find<frmAbout>();
        QVERIFY(about);
        const QList<QLabel *> labels = modSkin::Labels(about);
        const QList<QLabel *> copies = labelCopies(about, about->SkinLabel1);
        QCOMPARE(labels.size(), 8);
        QCOMPARE(copies.size(), 8);
        for (int i = 0; i < labels.size(); ++i) {
            const QLabel *label = labels[i];
            const QLabel *copy = copies[i];
            QCOMPARE(copy->text(), label->text());
            QCOMPARE(copy->font(), label->font());
            QCOMPARE(placeIn(about, copy), placeIn(about, label));
            QCOMPARE(copy->isHidden(), label->isHidden());
        }
        // The web site text still answers clicks through its copy.
        const QPoint site = about->lblWebsite->mapTo(about, about->lblWebsite->rect().center());
        QCOMPARE(about->childAt(site), about->lblWebsite);
    }

    void browserWindowCopiesOnlyTheLabelBesideItsTemplate()
    {
        TestEnv env;
        issueWithSkin(env, true);
        env.startUnlocked()->cmdWebsite_Click(0);
        const frmWebsite *browser = env.ctx().windows.Find<frmWebsite>();
        QVERIFY(browser);
        QCOMPARE(browser->SkinLabel1.size(), size_t(2));
        const QLabel *copy = browser->SkinLabel1.back();
        QCOMPARE(copy->text(), QStringLiteral("URL:"));
        QCOMPARE(placeIn(browser, copy), placeIn(browser, browser->Label5));
        QVERIFY(browser->SkinLabel1.front()->isHidden());
    }

    void labelCopiesKeepVisibilityAndTheChosenContainer()
    {
        TestEnv env;
        ProbeWindow window(env.ctx());
        auto *shown = window.add<QLabel>("Label", {60, 60, 1200, 300});
        shown->setText(QStringLiteral("Shown"));
        auto *hidden = window.add<QLabel>("Label", {60, 500, 1200, 300});
        hidden->setText(QStringLiteral("Hidden"));
        hidden->hide();
        auto *box = window.add<QWidget>("Frame", {1500, 60, 2500, 1500});
        auto *inner = new QLabel(QStringLiteral("Inner"), box);
        Controls::setKind(inner, Controls::Kind::Label);
        auto *model = window.add<QLabel>("SkinLabel", {0, 0, 555, 135});
        model->hide();

        QCOMPARE(modSkin::Labels(&window), (QList<QLabel *>{shown, hidden, inner}));
        const QList<QLabel *> copies =
            modSkin::CopyLabels(model, modSkin::Labels(&window, model->parentWidget()));
        QCOMPARE(copies.size(), 2);
        QCOMPARE(copies[0]->text(), QStringLiteral("Shown"));
        QVERIFY(!copies[0]->isHidden());
        QCOMPARE(copies[1]->text(), QStringLiteral("Hidden"));
        QVERIFY(copies[1]->isHidden());
        QCOMPARE(Controls::kindName(copies[0]), QStringLiteral("SkinLabel"));
        // Copies are never copied again.
        QCOMPARE(modSkin::Labels(&window).size(), 3);
    }

    void aWindowWithNothingToColourIsStillDrawnInTheSkin()
    {
        TestEnv env;
        issueWithSkin(env, true);
        env.startProgram();
        auto *window = env.ctx().windows.Load<ProbeWindow>();
        QVERIFY(window->skinned);
        QCOMPARE(window->styleSheet(), env.ctx().skin->styleSheet());
    }

    void skinningBeforeTheSplashLoadsTheSplashHidden()
    {
        TestEnv env;
        issueWithSkin(env, true);
        // A window that fills the branding record itself, as the browser window does.
        modBranding::modBranding(env.ctx());
        auto *window = env.ctx().windows.Load<ProbeWindow>();
        QVERIFY(window->skinned);
        QVERIFY(env.ctx().skin);
        QCOMPARE(window->styleSheet(), env.ctx().skin->styleSheet());
        const frmSplash *splash = env.ctx().windows.Find<frmSplash>();
        QVERIFY(splash);
        QVERIFY(!splash->isVisible());
        QVERIFY(!splash->Timer2.isActive());
        TestEnv::settle();
        QVERIFY(!env.ctx().windows.IsLoaded<Form1>());
    }

    void browserOpenedBeforeTheSplashIsSkinnedWithoutOpeningTheMainWindow()
    {
        TestEnv env;
        issueWithSkin(env, true);
        const frmWebsite *browser = env.ctx().windows.Show<frmWebsite>();
        QVERIFY(browser);
        QVERIFY(env.ctx().skin);
        QCOMPARE(browser->styleSheet(), env.ctx().skin->styleSheet());
        const frmSplash *splash = env.ctx().windows.Find<frmSplash>();
        QVERIFY(splash && !splash->isVisible() && !splash->Timer2.isActive());
        TestEnv::settle();
        QVERIFY(!env.ctx().windows.IsLoaded<Form1>());
    }

    void recoveryLeavesASplashThatIsAlreadyLoadedAlone_data()
    {
        QTest::addColumn<bool>("countedDown");
        QTest::newRow("splash still counting down") << false;
        QTest::newRow("splash timer stopped") << true;
    }

    void recoveryLeavesASplashThatIsAlreadyLoadedAlone()
    {
        QFETCH(bool, countedDown);
        TestEnv env;
        issueWithSkin(env, false);
        if (countedDown)
            env.startProgram();
        else
            env.showSplash();
        const frmSplash *splash = env.ctx().windows.Find<frmSplash>();
        const Form1 *main = env.mainWindow();
        const bool wasVisible = splash->isVisible();
        // A skin asked for where the splash gave none: the second try fails too.
        env.ctx().branding.UseSkin = true;
        auto *window = env.ctx().windows.Load<ProbeWindow>();
        QVERIFY(!window->skinned);
        QVERIFY(window->styleSheet().isEmpty());
        QCOMPARE(splash->Timer2.isActive(), !countedDown);
        QCOMPARE(splash->isVisible(), wasVisible);
        QCOMPARE(env.mainWindow(), main);
    }

    void skinServiceRunsFromSplashToProgramEnd_data()
    {
        QTest::addColumn<bool>("useSkin");
        QTest::newRow("skin on") << true;
        QTest::newRow("skin off") << false;
    }

    void skinServiceRunsFromSplashToProgramEnd()
    {
        QFETCH(bool, useSkin);
        TestEnv env;
        issueWithSkin(env, useSkin);
        env.showSplash();
        QCOMPARE(bool(env.ctx().skinService), useSkin);
        if (useSkin)
            QVERIFY(env.ctx().skinService->isRunning());
        Form1 *main = env.startUnlocked();
        main->mnuFileItem_Click(0);
        QVERIFY(env.platform.ended());
        QCOMPARE(bool(env.ctx().skinService), useSkin);
        if (useSkin)
            QVERIFY(!env.ctx().skinService->isRunning());
    }

    void browserClosingLastStopsTheSkinService()
    {
        TestEnv env;
        issueWithSkin(env, true);
        Form1 *main = env.startUnlocked();
        main->cmdWebsite_Click(0);
        main->mnuFileItem_Click(0);
        QVERIFY(!env.platform.ended());
        QVERIFY(env.ctx().skinService->isRunning());
        env.ctx().windows.Unload<frmWebsite>();
        QVERIFY(env.platform.ended());
        QVERIFY(!env.ctx().skinService->isRunning());
    }

    void runningServiceDressesDialogsNoWindowOwns()
    {
        TestEnv env;
        issueWithSkin(env, true);
        env.startProgram();
        const QString sheet = env.ctx().skin->styleSheet();
        QDialog unowned;
        unowned.show();
        QCOMPARE(unowned.styleSheet(), sheet);
        // One owned by a skinned window takes the look from its owner.
        QDialog owned(env.mainWindow());
        owned.show();
        QVERIFY(owned.styleSheet().isEmpty());

        modSkin::StopSkinService(env.ctx());
        QDialog afterStop;
        afterStop.show();
        QVERIFY(afterStop.styleSheet().isEmpty());
    }

    void skinSwitchesDecideWhatIsDrawn_data()
    {
        QTest::addColumn<bool>("applyColors");
        QTest::addColumn<bool>("skinClientArea");
        QTest::newRow("both") << true << true;
        QTest::newRow("colours only") << true << false;
        QTest::newRow("client area only") << false << true;
        QTest::newRow("neither") << false << false;
    }

    void skinSwitchesDecideWhatIsDrawn()
    {
        QFETCH(bool, applyColors);
        QFETCH(bool, skinClientArea);
        TestEnv env;
        const std::shared_ptr<SkinControl> skin = standardSkinWith(applyColors, skinClientArea);
        QVERIFY(skin);
        ProbeWindow plain(env.ctx());
        ProbeWindow skinned(env.ctx());
        QPushButton *buttons[2];
        int i = 0;
        for (ProbeWindow *window : {&plain, &skinned}) {
            buttons[i] = window->add<QPushButton>("CommandButton");
            buttons[i++]->setText(QStringLiteral("Ok"));
        }
        skin->apply(&skinned);

        const QPoint empty(skinned.client()->width() - 5, skinned.client()->height() - 5);
        const QColor background = colourAt(skinned.client(), empty);
        QCOMPARE(background == skin->skin().panel, applyColors);
        if (!applyColors)
            QCOMPARE(background, colourAt(plain.client(), empty));
        const bool buttonLooksPlain = buttons[0]->grab().toImage() == buttons[1]->grab().toImage();
        QCOMPARE(buttonLooksPlain, !skinClientArea);
    }
};

QTEST_MAIN(SkinTest)
#include "tst_Skin.moc"
