// What keyboard and screen-reader users meet in every window: names, keys,
// the focus mark and the window icon.
#include "TestEnv.h"
#include "browser/WebEngineTestSetup.h"
#include "EntryTesting.h"
#include "ui/base/FocusMark.h"
#include "ui/browser/frmWebsite.h"
#include "ui/help/Form8.h"
#include "ui/help/frmAbout.h"
#include "ui/vault/frmPass.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>
#include <algorithm>

namespace {

// Focusable, shown controls that a screen reader would announce without a name.
void collectUnnamed(QAccessibleInterface *node, QStringList &unnamed)
{
    if (!node)
        return;
    const QAccessible::State state = node->state();
    const QObject *object = node->object();
    if (state.focusable && !state.invisible && node->text(QAccessible::Name).trimmed().isEmpty())
        unnamed << (object ? object->objectName() + u':' + QLatin1String(object->metaObject()->className())
                           : QString::number(node->role()));
    // A page's own content is the page's business.
    if (qobject_cast<const QWebEngineView *>(object))
        return;
    for (int i = 0; i < node->childCount(); ++i)
        collectUnnamed(node->child(i), unnamed);
}

Form *openWithSkin(TestEnv &env, const QString &name, bool useSkin)
{
    env.ctx().brandingSwitches.UseSkin = useSkin;
    env.ctx().brandingSwitches.ShowBanner = false;
    env.platform.version.Comments = QStringLiteral("http://127.0.0.1:9/");
    env.writeVault(EntryTesting::vaultFile({{"ann", "secret", "example.org"}}));
    return env.openWindow(name);
}

void addWindowRows(bool withSplash = true)
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("useSkin");
    for (const QString &window : TestEnv::windowNames()) {
        if (!withSplash && window == QLatin1String("frmSplash"))
            continue; // nothing on it takes the focus
        QTest::newRow(qPrintable(window + QStringLiteral(" skin off"))) << window << false;
        QTest::newRow(qPrintable(window + QStringLiteral(" skin on"))) << window << true;
    }
}

QColor pixelOf(QWidget *window, QWidget *control, QPoint at)
{
    return window->grab().toImage().pixelColor(control->mapTo(window, at));
}

} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QAccessible::setActive(true); }

    void everyReachableControlHasAName_data() { addWindowRows(); }
    void everyReachableControlHasAName()
    {
        QFETCH(QString, window);
        QFETCH(bool, useSkin);
        TestEnv env;
        Form *form = openWithSkin(env, window, useSkin);
        QVERIFY(form);
        QStringList unnamed;
        collectUnnamed(QAccessible::queryAccessibleInterface(form), unnamed);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", ")));
        // Every window carries the program's icon, and no button answers Enter for another.
        QVERIFY(!form->windowIcon().isNull());
        for (const QPushButton *button : form->findChildren<QPushButton *>())
            QVERIFY2(!button->isDefault() && !button->autoDefault(), qPrintable(button->objectName()));
    }

    void focusedControlShowsTheMark_data() { addWindowRows(false); }
    void focusedControlShowsTheMark()
    {
        QFETCH(QString, window);
        QFETCH(bool, useSkin);
        TestEnv env;
        Form *form = openWithSkin(env, window, useSkin);
        QVERIFY(form);
        QWidget *control = nullptr;
        for (QWidget *candidate : form->findChildren<QWidget *>()) {
            if (candidate->isVisible() && (candidate->focusPolicy() & Qt::TabFocus)
                && !qobject_cast<QWebEngineView *>(candidate)) {
                control = candidate;
                break;
            }
        }
        QVERIFY(control);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        control->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), control);
        QCOMPARE(pixelOf(form, control, {0, control->height() / 2}), FocusMark::colour());
        QCOMPARE(pixelOf(form, control, {control->width() / 2, control->height() - 1}),
                 FocusMark::colour());
    }

    void focusedButtonAnswersEnterAndSpace_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("pictureButton");
        for (const bool picture : {true, false}) {
            const char *kind = picture ? "picture button" : "command button";
            QTest::newRow(qPrintable(QStringLiteral("Return on %1").arg(kind))) << int(Qt::Key_Return) << picture;
            QTest::newRow(qPrintable(QStringLiteral("keypad Enter on %1").arg(kind))) << int(Qt::Key_Enter) << picture;
            QTest::newRow(qPrintable(QStringLiteral("Space on %1").arg(kind))) << int(Qt::Key_Space) << picture;
        }
    }
    void focusedButtonAnswersEnterAndSpace()
    {
        QFETCH(int, key);
        QFETCH(bool, pictureButton);
        TestEnv env;
        env.ctx().brandingSwitches.ShowBanner = false;
        env.writeVault(EntryTesting::vaultFile({{"ann", "secret", "example.org"}}));
        const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        if (pictureButton) {
            Form1 *main = env.startUnlocked();
            EntryTesting::selectRow(*main->lstPass, 1);
            QTest::keyClick(main->cmdCopy[1], Qt::Key(key), modifiers);
            QCOMPARE(env.platform.clipboard, QStringLiteral("secret"));
        } else {
            env.startProgram();
            frmPass *dialog = env.ctx().windows.Find<frmPass>();
            QTest::keyClicks(dialog->txtPass, QStringLiteral("abcd"));
            QTest::keyClick(dialog->cmdOK, Qt::Key(key), modifiers);
            TestEnv::settle();
            QVERIFY(!env.ctx().windows.IsLoaded<frmPass>());
            QCOMPARE(env.mainWindow()->lstPass->count(), 1);
        }
    }

    void escapeKey_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("closes");
        QTest::newRow("About closes") << "frmAbout" << true;
        QTest::newRow("Help closes") << "Form8" << true;
        QTest::newRow("editor cancels") << "frmAdd" << true;
        QTest::newRow("password dialog stays") << "frmPass" << false;
        QTest::newRow("main window stays") << "Form1" << false;
    }
    void escapeKey()
    {
        QFETCH(QString, window);
        QFETCH(bool, closes);
        TestEnv env;
        Form *form = openWithSkin(env, window, false);
        QVERIFY(form);
        const QByteArray vaultBefore = env.vaultBytes();
        QWidget *target = form->focusWidget() ? form->focusWidget() : form;
        QTest::keyClick(target, Qt::Key_Escape);
        TestEnv::settle();
        const QWidgetList windows = QApplication::topLevelWidgets();
        const bool stillThere = std::any_of(windows.cbegin(), windows.cend(), [&](QWidget *w) {
            return w->objectName() == window && w->isVisible();
        });
        QCOMPARE(!stillThere, closes);
        QCOMPARE(env.vaultBytes(), vaultBefore);
        QVERIFY(!env.platform.ended());
    }

    void aboutLinkOpensFromTheKeyboard()
    {
        TestEnv env;
        frmAbout *about = static_cast<frmAbout *>(openWithSkin(env, QStringLiteral("frmAbout"), false));
        QVERIFY(about);
        about->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(about));
        QTest::keyClick(about, Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), about->lblWebsite);
        QVERIFY(!env.ctx().windows.IsShown<frmWebsite>());
        QTest::keyClick(about->lblWebsite, Qt::Key_Return);
        QVERIFY(env.ctx().windows.IsShown<frmWebsite>());
    }
};

int main(int argc, char *argv[])
{
    prepareWebEngine();
    QApplication app(argc, argv);
    AccessibilityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Accessibility.moc"
