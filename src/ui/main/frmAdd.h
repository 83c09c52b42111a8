#pragma once

#include "ui/Form.h"
#include "vault/Result.h"
#include "vault/VaultEntry.h"
#include "vault/VaultSession.h"

#include <QPersistentModelIndex>

#include <optional>

class QLabel;
class StatusReporter;
class QLineEdit;
class QToolButton;

// The entry editor: a new entry in add mode, the chosen entry in edit mode, as
// the edit request says. Modeless, one instance.
class frmAdd : public Form
{
    Q_OBJECT

public:
    explicit frmAdd(AppContext &context);

    // Opens the editor for the edit request just written; an editor that is
    // open already takes the new request over, so Save does what it shows.
    static void openForRequest(AppContext &context, StatusReporter &status);
    // True unless the open editor holds typed text and the user chose to keep it.
    static bool mayDiscardTyping(AppContext &context);

    void Form_Load() override;

    void cmdAdd_Click();
    void cmdDelete_Click();
    // Enter (13) saves; the key goes on to the box unchanged.
    void txtWebsite_KeyPress(int keyAscii);

    QToolButton *cmdDelete = nullptr;
    QToolButton *cmdAdd = nullptr;
    QLabel *SkinLabel1 = nullptr;
    QLineEdit *txtUsername = nullptr;
    QLabel *SkinLabel2 = nullptr;
    QLineEdit *txtPassword = nullptr;
    QLabel *SkinLabel3 = nullptr;
    QLineEdit *txtWebsite = nullptr;

protected:
    // Escape is the editor's Cancel.
    void escapePressed() override { cmdDelete_Click(); }

private:
    void createControls();
    void loadRequest();
    bool isAddMode() const;
    void trackEditedEntry();
    void followEditedEntry();
    VaultEntry typedEntry() const;
    bool acceptTyped(const VaultEntry &entry);
    // Empty when the user chose to go back to the editor.
    std::optional<Result<VaultSession::SaveStatus>> writeRow(const VaultEntry &entry);

    StatusReporter *m_status = nullptr;
    // What the boxes held when the request was loaded.
    VaultEntry m_loaded;

    // The entry being edited, wherever sorting, adding and deleting move it.
    QPersistentModelIndex m_editedEntry;
};
