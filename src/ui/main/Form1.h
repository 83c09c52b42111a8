#pragma once

#include "ui/base/Form.h"
#include "ui/base/StatusReporter.h"

#include <QTimer>

#include <array>

class EntryHistory;
class EntryList;
class FindBox;
class QAction;
class QFrame;
class QMenu;
class QToolButton;
class StatusBar;
class VaultLocker;
class WebView;

// The main window: the entry list, the command buttons, the menus and the status line.
class Form1 : public Form, public StatusReporter
{
    Q_OBJECT

public:
    explicit Form1(AppContext &context);

    void Form_Load() override;
    bool Form_QueryUnload() override;
    void Form_Unload() override;
    // Completes the window once the vault is open.
    void afterFormLoad();

    void SetStatus(const QString &text) override;
    QString statusText() const;

    // Button handlers; the menu items run the same ones.
    void cmdAdd_Click(int index);
    void cmdEdit_Click();
    void cmdDelete_Click();
    void cmdGoto_Click();
    void cmdCopy_Click(int index);
    void cmdWebsite_Click(int index);

    void mnuFileItem_Click(int index);
    void mnuDataItem_Click(int index);
    void mnuCopyItem_Click(int index);
    void mnuHelpItem_Click(int index);
    void mnuAboutItem_Click(int index);

    void lstPass_ColumnClick(int columnHeaderIndex);

    // Beside the designed commands.
    void openFind();
    void closeFind();
    void changeMasterPassword();
    void checkPasswords();
    // Selects the entry at this 1-based position, shown whatever was typed to find, and comes forward.
    void showEntry(int position);

    std::array<QToolButton *, 1> cmdAdd{};
    QToolButton *cmdDelete = nullptr;
    QToolButton *cmdEdit = nullptr;
    QToolButton *cmdGoto = nullptr;
    std::array<QToolButton *, 1> cmdWebsite{};
    std::array<QToolButton *, 3> cmdCopy{};
    WebView *wbBanner = nullptr;
    QFrame *wbPicture = nullptr;
    EntryList *lstPass = nullptr;
    StatusBar *StatusBar1 = nullptr;

    QMenu *mnuFile = nullptr;
    QMenu *mnuData = nullptr;
    QMenu *mnuCopy = nullptr;
    QMenu *mnuHelp = nullptr;
    QMenu *mnuAbout = nullptr;
    std::array<QAction *, 1> mnuFileItem{};
    std::array<QAction *, 4> mnuDataItem{};
    std::array<QAction *, 3> mnuCopyItem{};
    std::array<QAction *, 1> mnuHelpItem{};
    std::array<QAction *, 1> mnuAboutItem{};

    FindBox *findBox = nullptr;
    QAction *mnuLock = nullptr;
    QMenu *mnuLockAfterIdle = nullptr;
    QAction *mnuLockWithScreen = nullptr;
    QAction *mnuChangeMasterPassword = nullptr;
    QAction *mnuFind = nullptr;
    QAction *mnuHidePasswords = nullptr;
    QAction *mnuUndo = nullptr;
    QAction *mnuRedo = nullptr;
    QAction *mnuCheckPasswords = nullptr;

    VaultLocker &locker() { return *m_locker; }

protected:
    void escapePressed() override;

private:
    void createButtons();
    void createListAndStatus();
    void createMenus();
    void createLockItems();
    void createDataItems();
    void createKeys();
    void setTabOrder();
    void connectToVault();
    void reloadChangedVault();
    bool keepUnsavedChange();

    // Retries a reload that had to wait for an open dialog.
    QTimer m_reloadRetry;
    EntryHistory *m_history = nullptr;
    VaultLocker *m_locker = nullptr;
};
