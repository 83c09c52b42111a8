#include "ui/main/Form1.h"

#include "ui/base/AppContext.h"
#include "ui/skin/frmSplash.h"
#include "ui/base/Controls.h"
#include "ui/base/StatusBar.h"
#include "ui/base/Twips.h"
#include "ui/browser/WebView.h"
#include "ui/browser/frmWebsite.h"
#include "ui/help/Form8.h"
#include "ui/banner/LoadBanner.h"
#include "ui/help/ShowHelpSetting.h"
#include "ui/help/frmAbout.h"
#include "ui/skin/modSkin.h"
#include "ui/lock/VaultLocker.h"
#include "ui/main/EntryCommands.h"
#include "ui/main/EntryHistory.h"
#include "ui/main/EntryList.h"
#include "ui/main/FindBox.h"
#include "ui/main/frmAdd.h"
#include "ui/passwords/frmPasswordCheck.h"
#include "ui/main/modListViewEnh.h"
#include "ui/base/UserSettings.h"
#include "ui/vault/frmChangePassword.h"
#include "ui/vault/frmPass.h"
#include "ui/vault/modGlobals.h"
#include "vault/VaultSession.h"

#include <QApplication>
#include <QDir>

#include <QAction>
#include <QActionGroup>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QShortcut>
#include <QToolButton>
#include <QUndoStack>
#include <cstdlib>

namespace {

// The banner's stand-in picture: a blank panel with a vertical line near its right edge.
class BannerPicture : public QFrame
{
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Mid));
        const int x = Twips::toPixels(300);
        painter.drawLine(x, 0, x, Twips::toPixels(1080));
    }
};

template <size_t N>
void addMenuItems(QMenu *menu, std::array<QAction *, N> &items,
                  const std::array<const char *, N> &captions,
                  const std::function<void(int)> &handler)
{
    for (size_t i = 0; i < N; ++i) {
        items[i] = menu->addAction(QString::fromUtf8(captions[i]));
        const int index = static_cast<int>(i);
        QObject::connect(items[i], &QAction::triggered, menu, [handler, index] { handler(index); });
    }
}

} // namespace

Form1::Form1(AppContext &context) : Form(context)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(CaptionAndCloseBox);
    setFont(Controls::verdana(8.25));
    setClientSizeTwips(9015, 6555);
    m_history = new EntryHistory(context, *this, this);
    m_locker = new VaultLocker(context, this);
    connect(m_locker, &VaultLocker::unlocked, this, &Form1::SetStatus);
    connect(m_locker, &VaultLocker::locked, m_history, &EntryHistory::forget);
    createButtons();
    createListAndStatus();
    createMenus();
    createKeys();
    setTabOrder();
    connectToVault();
    context.windows.setMainWindow(this);
}

void Form1::connectToVault()
{
    VaultSession &session = m_ctx.session();
    m_reloadRetry.setSingleShot(true);
    m_reloadRetry.setInterval(1000);
    connect(&m_reloadRetry, &QTimer::timeout, this, &Form1::reloadChangedVault);
    connect(&session, &VaultSession::changedOutside, this, &Form1::reloadChangedVault);
}

// Another program rewrote the vault: the list shows it, unless the user is in
// the middle of something; then it waits.
void Form1::reloadChangedVault()
{
    if (m_ctx.windows.IsLoaded<frmAdd>() || m_ctx.windows.IsLoaded<frmPass>()
        || QApplication::activeModalWidget()) {
        m_reloadRetry.start();
        return;
    }
    const Result<VaultSession::ReloadOutcome> reloaded = m_ctx.session().reloadIfChangedOutside();
    if (!reloaded)
        SetStatus(QStringLiteral("Could not load the entries changed by another program: ") + reloaded.message());
    else if (reloaded.value() == VaultSession::ReloadOutcome::Reloaded)
        SetStatus(QStringLiteral("Loaded %1 entries changed by another program").arg(lstPass->count()));
}

void Form1::createButtons()
{
    QWidget *area = client();
    cmdAdd[0] = Controls::pictureButton(area, QStringLiteral("cmdAdd"), QStringLiteral("Add"),
                                        QStringLiteral(":/images/add.png"), {60, 60, 1155, 1035});
    cmdDelete = Controls::pictureButton(area, QStringLiteral("cmdDelete"), QStringLiteral("Delete"),
                                        QStringLiteral(":/images/delete.png"), {1260, 60, 1155, 1035});
    cmdEdit = Controls::pictureButton(area, QStringLiteral("cmdEdit"), QStringLiteral("Edit"),
                                      QStringLiteral(":/images/edit.png"), {2460, 60, 1155, 1035});
    cmdGoto = Controls::pictureButton(area, QStringLiteral("cmdGoto"), QStringLiteral("Go To"),
                                      QStringLiteral(":/images/goto.png"), {3660, 60, 1155, 1035});
    cmdWebsite[0] = Controls::pictureButton(area, QStringLiteral("cmdWebsite"), QString(),
                                            QStringLiteral(":/images/website.png"),
                                            {4860, 60, 4095, 1035});
    cmdCopy[0] = Controls::pictureButton(area, QStringLiteral("cmdCopy0"),
                                         QStringLiteral("Copy Username"),
                                         QStringLiteral(":/images/copy_username.png"),
                                         {60, 1140, 2355, 795});
    cmdCopy[1] = Controls::pictureButton(area, QStringLiteral("cmdCopy1"),
                                         QStringLiteral("Copy Password"),
                                         QStringLiteral(":/images/copy_password.png"),
                                         {2460, 1140, 2355, 795});
    cmdCopy[2] = Controls::pictureButton(area, QStringLiteral("cmdCopy2"),
                                         QStringLiteral("Copy Used At"),
                                         QStringLiteral(":/images/copy_location.png"),
                                         {4860, 1140, 4095, 795});
    for (QToolButton *button : cmdCopy)
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cmdWebsite[0]->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cmdWebsite[0]->setAccessibleName(QStringLiteral("Web site"));

    connect(cmdAdd[0], &QToolButton::clicked, this, [this] { cmdAdd_Click(0); });
    connect(cmdDelete, &QToolButton::clicked, this, [this] { cmdDelete_Click(); });
    connect(cmdEdit, &QToolButton::clicked, this, [this] { cmdEdit_Click(); });
    connect(cmdGoto, &QToolButton::clicked, this, [this] { cmdGoto_Click(); });
    connect(cmdWebsite[0], &QToolButton::clicked, this, [this] { cmdWebsite_Click(0); });
    for (int i = 0; i < 3; ++i)
        connect(cmdCopy[static_cast<size_t>(i)], &QToolButton::clicked, this,
                [this, i] { cmdCopy_Click(i); });
}

void Form1::createListAndStatus()
{
    // Hidden until the banner pane is built; its page is made only then.
    wbBanner = new WebView(client());
    wbBanner->setObjectName(QStringLiteral("wbBanner"));
    wbBanner->setAccessibleName(QStringLiteral("Banner"));
    Twips::place(wbBanner, 60, 1980, 7335, 945);
    wbBanner->hide();
    if (m_ctx.branding.ShowBanner)
        modSkin::ProbeBanner(m_ctx, *this, *wbBanner);

    wbPicture = new BannerPicture(client());
    wbPicture->setObjectName(QStringLiteral("wbPicture"));
    Controls::setKind(wbPicture, Controls::Kind::PictureBox);
    Twips::place(wbPicture, 7050, 2010, 330, 920);
    wbPicture->hide();

    lstPass = new EntryList(client(), &m_ctx.session().entries());
    lstPass->setObjectName(QStringLiteral("lstPass"));
    lstPass->setAccessibleName(QStringLiteral("Entries"));
    Twips::place(lstPass, 60, 1980, 8895, 4215);
    connect(lstPass, &EntryList::ColumnClick, this, &Form1::lstPass_ColumnClick);
    // The list's own copy key would leave a password on the clipboard for good.
    connect(lstPass, &EntryList::CopyKeyPressed, this, &Form1::cmdCopy_Click);
    connect(lstPass, &EntryList::DeleteKeyPressed, this, &Form1::cmdDelete_Click);
    connect(lstPass, &EntryList::EditRequested, this, &Form1::cmdEdit_Click);

    findBox = new FindBox(client(), Twips::rect(lstPass).width());
    connect(findBox, &FindBox::findChanged, lstPass, &EntryList::setFind);
    connect(findBox, &FindBox::closed, this, &Form1::closeFind);
    connect(findBox, &FindBox::downPressed, lstPass, [this] { lstPass->setFocus(); });
    // A new entry is shown, whatever was typed to find.
    connect(m_history, &EntryHistory::added, findBox, [this] { findBox->txtFind->clear(); });
    connect(m_history, &EntryHistory::stepRefused, this, &Form1::SetStatus);
    connect(m_history, &EntryHistory::stepLanded, lstPass, [this](int row) { lstPass->selectPosition(row + 1); });

    StatusBar1 = new StatusBar(client());
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    Twips::place(StatusBar1, 0, 6240, 9015, 315);
}

void Form1::createMenus()
{
    QMenuBar *bar = menuBar();
    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuData = bar->addMenu(QStringLiteral("&Data"));
    mnuCopy = bar->addMenu(QStringLiteral("&Copy"));
    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuAbout = bar->addMenu(QStringLiteral("&About"));
    addMenuItems<1>(mnuFile, mnuFileItem, {"Exit"}, [this](int i) { mnuFileItem_Click(i); });
    addMenuItems<4>(mnuData, mnuDataItem,
                    {"Add Username/Password", "Delete Selected Item", "Edit Selected Item",
                     "Goto \"Used At\" Location"},
                    [this](int i) { mnuDataItem_Click(i); });
    addMenuItems<3>(mnuCopy, mnuCopyItem,
                    {"Selected Username", "Selected Password", "Selected Used At Location"},
                    [this](int i) { mnuCopyItem_Click(i); });
    addMenuItems<1>(mnuHelp, mnuHelpItem, {"View Help"}, [this](int i) { mnuHelpItem_Click(i); });
    addMenuItems<1>(mnuAbout, mnuAboutItem, {"About this software"},
                    [this](int i) { mnuAboutItem_Click(i); });
    createLockItems();
    createDataItems();
}

// The lock's items above Exit, behind a separator; the new password after it.
void Form1::createLockItems()
{
    QAction *exit = mnuFileItem[0];
    mnuLock = new QAction(QStringLiteral("Lock"), mnuFile);
    mnuLock->setShortcut(Qt::CTRL | Qt::Key_L);
    connect(mnuLock, &QAction::triggered, m_locker, &VaultLocker::lock);
    mnuFile->insertAction(exit, mnuLock);

    mnuLockAfterIdle = new QMenu(QStringLiteral("Lock After Idle"), mnuFile);
    auto *idleChoices = new QActionGroup(mnuLockAfterIdle);
    for (const VaultLocker::IdleChoice &choice : VaultLocker::IdleChoices) {
        QAction *item = mnuLockAfterIdle->addAction(QString::fromLatin1(choice.caption));
        item->setCheckable(true);
        item->setChecked(choice.minutes == m_locker->idleMinutes());
        idleChoices->addAction(item);
        const int minutes = choice.minutes;
        connect(item, &QAction::triggered, m_locker, [this, minutes] { m_locker->setIdleMinutes(minutes); });
    }
    mnuFile->insertMenu(exit, mnuLockAfterIdle);

    mnuLockWithScreen = new QAction(QStringLiteral("Lock With the Screen"), mnuFile);
    mnuLockWithScreen->setCheckable(true);
    mnuLockWithScreen->setChecked(m_locker->locksWithScreen());
    connect(mnuLockWithScreen, &QAction::toggled, m_locker, &VaultLocker::setLocksWithScreen);
    mnuFile->insertAction(exit, mnuLockWithScreen);

    mnuFile->insertSeparator(exit);

    mnuFile->addSeparator();
    mnuChangeMasterPassword = mnuFile->addAction(QStringLiteral("Change Master Password\u2026"), this,
                                                 &Form1::changeMasterPassword);
}

// After the designed items, behind a separator.
void Form1::createDataItems()
{
    mnuData->addSeparator();
    mnuFind = mnuData->addAction(QStringLiteral("Find\u2026"), this, &Form1::openFind);
    mnuFind->setShortcut(Qt::CTRL | Qt::Key_F);

    mnuHidePasswords = mnuData->addAction(QStringLiteral("Hide Passwords"));
    mnuHidePasswords->setShortcut(Qt::CTRL | Qt::Key_H);
    mnuHidePasswords->setCheckable(true);
    const QString hideKey = QStringLiteral("hidePasswords");
    connect(mnuHidePasswords, &QAction::toggled, this, [this, hideKey](bool hidden) {
        lstPass->setPasswordsHidden(hidden);
        UserSettings::writeSwitch(m_ctx, hideKey, hidden);
    });
    mnuHidePasswords->setChecked(UserSettings::readSwitch(m_ctx, hideKey, false));

    mnuData->addSeparator();
    QUndoStack &changes = m_history->stack();
    mnuUndo = mnuData->addAction(QStringLiteral("Undo"), m_history, &EntryHistory::undo);
    mnuUndo->setShortcut(QKeySequence::Undo);
    mnuUndo->setEnabled(false);
    connect(&changes, &QUndoStack::canUndoChanged, mnuUndo, &QAction::setEnabled);
    mnuRedo = mnuData->addAction(QStringLiteral("Redo"), m_history, &EntryHistory::redo);
    mnuRedo->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    mnuRedo->setEnabled(false);
    connect(&changes, &QUndoStack::canRedoChanged, mnuRedo, &QAction::setEnabled);

    mnuData->addSeparator();
    mnuCheckPasswords = mnuData->addAction(QStringLiteral("Check Passwords\u2026"), this, &Form1::checkPasswords);
}

// Keys without a menu item of their own.
void Form1::createKeys()
{
    // F10 opens the menu bar, as on other desktops.
    connect(new QShortcut(Qt::Key_F10, this), &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(mnuFile->menuAction()); });
    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this, [this] { mnuHelpItem_Click(0); });
}

void Form1::setTabOrder()
{
    Controls::tabOrder({cmdAdd[0], cmdEdit, cmdDelete, cmdWebsite[0], lstPass, cmdCopy[0], cmdGoto, cmdCopy[1],
                        cmdCopy[2]});
    StatusBar1->setFocusPolicy(Qt::NoFocus);
}

void Form1::Form_Load()
{
    const BrandingRecord &branding = m_ctx.branding;
    if (branding.UseSplashIcon) {
        if (const frmSplash *splash = m_ctx.windows.Find<frmSplash>())
            setWindowIcon(splash->windowIcon());
    }
    setWindowTitle(branding.ProductName + QStringLiteral(" by ") + branding.CompanyName);
    cmdWebsite[0]->setText(QStringLiteral("Visit ") + branding.Comments);

    // Each column lines up with the copy button of its field.
    lstPass->addColumnHeader(QStringLiteral("Username"), Twips::rect(cmdCopy[0]).width() - 10);
    lstPass->addColumnHeader(QStringLiteral("Password"), Twips::rect(cmdCopy[1]).width() + 20);
    lstPass->addColumnHeader(QStringLiteral("Website/Location"), Twips::rect(cmdCopy[2]).width());

    StatusBar1->setPanelWidth(1, WidthTwips());
    if (frmPass *dialog = modGlobals::OpenVault(m_ctx)) {
        connect(dialog, &frmPass::vaultOpened, this, [this](const QString &status) {
            SetStatus(status);
            afterFormLoad();
        });
    }
}

void Form1::afterFormLoad()
{
    if (m_ctx.branding.UseSkin)
        modSkin::SkinForm(m_ctx, this);
    show();
    m_locker->arm();

    if (m_ctx.branding.ShowBanner) {
        // The banner takes the list's designed place, 50 twips above the list.
        const int bannerBand = std::abs(Twips::rect(wbBanner).height()) + 50;
        setHeightTwips(HeightTwips() + bannerBand);
        Twips::setTop(lstPass, Twips::rect(lstPass).top() + bannerBand);
        Twips::setTop(StatusBar1, ScaleHeight() - Twips::rect(StatusBar1).height());
        modSkin::LoadBanner(m_ctx, *this);
    }

    if (ShowHelpSetting::opensAtStartup(m_ctx))
        m_ctx.windows.Show<Form8>();
}

bool Form1::Form_QueryUnload()
{
    return frmAdd::mayDiscardTyping(m_ctx) && keepUnsavedChange();
}

// A change that could not be saved is not thrown away without a word.
bool Form1::keepUnsavedChange()
{
    VaultSession &session = m_ctx.session();
    while (session.hasUnsavedChanges()) {
        const platform::MsgResult answer = m_ctx.MsgBox(
                QStringLiteral("Your last change could not be saved to \"%1\".\r\n\r\nClick Retry to "
                               "try saving it again, Discard to close without it, or Cancel to "
                               "keep %2 open.")
                        .arg(QDir::toNativeSeparators(session.path()), m_ctx.appTitle()),
                platform::MsgButtons::RetryDiscardCancel, QStringLiteral("Unsaved Change"),
                platform::MsgIcon::Warning);
        if (answer == platform::MsgResult::Discard)
            return true;
        if (answer != platform::MsgResult::Retry)
            return false;
        modGlobals::SaveVault(m_ctx, *this);
    }
    return true;
}

void Form1::Form_Unload()
{
    m_ctx.windows.Unload<Form8>();
    m_ctx.windows.Unload<frmAbout>();
    m_ctx.windows.Unload<frmAdd>();
    m_ctx.windows.Unload<frmSplash>();
    if (frmWebsite *browser = m_ctx.windows.Find<frmWebsite>(); browser && browser->isVisible()) {
        // The browser lives on alone and ends the program when it closes.
        browser->endProgramWhenClosed();
        return;
    }
    if (m_ctx.branding.UseSkin)
        modSkin::StopSkinService(m_ctx);
    m_ctx.windows.Unload<frmWebsite>();
    m_ctx.windows.EndProgram();
}

void Form1::SetStatus(const QString &text)
{
    StatusBar1->setPanelText(1, text);
}

QString Form1::statusText() const
{
    return StatusBar1->panelText(1);
}

void Form1::cmdAdd_Click(int)
{
    if (modGlobals::RefuseChangeWhenReadOnly(m_ctx) || !frmAdd::mayDiscardTyping(m_ctx))
        return;
    frmAdd::openForRequest(m_ctx, *m_history, {EditRequest::Mode::Add, 0, {}, {}, {}});
}

void Form1::cmdEdit_Click()
{
    const int position = lstPass->firstSelectedPosition();
    if (position == 0) {
        SetStatus(QStringLiteral("You must first select an entry to edit."));
        return;
    }
    if (modGlobals::RefuseChangeWhenReadOnly(m_ctx) || !frmAdd::mayDiscardTyping(m_ctx))
        return;
    const VaultEntry entry = lstPass->item(position);
    frmAdd::openForRequest(m_ctx, *m_history,
                           {EditRequest::Mode::Edit, position, entry.Username, entry.Password, entry.Location});
}

void Form1::cmdDelete_Click()
{
    EntryCommands::Delete(m_ctx, *lstPass, *m_history);
}

void Form1::cmdGoto_Click()
{
    EntryCommands::GoTo(m_ctx, *lstPass, *this);
}

void Form1::cmdCopy_Click(int index)
{
    EntryCommands::Copy(m_ctx, *lstPass, *this, index);
}

void Form1::cmdWebsite_Click(int)
{
    m_ctx.windows.Show<frmWebsite>();
}

void Form1::mnuFileItem_Click(int index)
{
    if (index == 0)
        m_ctx.windows.Unload(this);
}

void Form1::mnuDataItem_Click(int index)
{
    switch (index) {
    case 0:
        cmdAdd_Click(0);
        break;
    case 1:
        cmdDelete_Click();
        break;
    case 2:
        cmdEdit_Click();
        break;
    case 3:
        cmdGoto_Click();
        break;
    default:
        break;
    }
}

void Form1::mnuCopyItem_Click(int index)
{
    if (index >= 0 && index < static_cast<int>(cmdCopy.size()))
        cmdCopy_Click(index);
}

void Form1::mnuHelpItem_Click(int index)
{
    if (index == 0)
        m_ctx.windows.Show<Form8>();
}

void Form1::mnuAboutItem_Click(int index)
{
    if (index == 0)
        m_ctx.windows.Show<frmAbout>();
}

// The list gives the box its top; the window keeps its size.
void Form1::openFind()
{
    if (findBox->isHidden()) {
        const QRect list = Twips::rect(lstPass);
        Twips::place(findBox, list.left(), list.top(), list.width(), FindBox::HeightTwips);
        Twips::place(lstPass, list.left(), list.top() + FindBox::HeightTwips, list.width(),
                     list.height() - FindBox::HeightTwips);
    }
    findBox->openForTyping();
}

void Form1::closeFind()
{
    const QRect list = Twips::rect(lstPass);
    Twips::place(lstPass, list.left(), list.top() - FindBox::HeightTwips, list.width(),
                 list.height() + FindBox::HeightTwips);
    lstPass->endFind();
    lstPass->setFocus();
}

// Escape anywhere in the window closes the find box, as Escape in it does.
void Form1::escapePressed()
{
    findBox->dismiss();
}

void Form1::changeMasterPassword()
{
    if (!modGlobals::RefuseChangeWhenReadOnly(m_ctx))
        m_ctx.windows.Show<frmChangePassword>(static_cast<StatusReporter &>(*this));
}

void Form1::checkPasswords()
{
    if (auto *check = m_ctx.windows.Show<frmPasswordCheck>())
        connect(check, &frmPasswordCheck::entryChosen, this, &Form1::showEntry, Qt::UniqueConnection);
}

void Form1::showEntry(int position)
{
    findBox->dismiss();
    lstPass->selectPosition(position);
    m_ctx.windows.Show(this);
    lstPass->setFocus();
}

void Form1::lstPass_ColumnClick(int columnHeaderIndex)
{
    modListViewEnh::EnhListView_SortColumns(*lstPass, columnHeaderIndex, false, m_ctx);
}
